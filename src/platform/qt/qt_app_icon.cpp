#include "platform/qt/qt_app_icon.h"

#include <QImageReader>
#include <QPixmap>

// The resource file is compiled into a static library; nothing else would pull it in.
static void initTidewellResources() {
    Q_INIT_RESOURCE(tidewell);
}

namespace tw::qt_platform {

QIcon applicationIcon() {
    initTidewellResources();
    // Qt's own PNG decoder only: a reader left to guess the format first loads every image
    // format plugin installed (with their libraries, megabytes in all) to ask each of them.
    QImageReader reader(QStringLiteral(":/tidewell.png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

}  // namespace tw::qt_platform
