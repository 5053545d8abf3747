#include "platform/qt/qt_text_viewer.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace tw::qt_platform {

bool QtTextViewer::open(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
}

}  // namespace tw::qt_platform
