#include "platform/qt/qt_builtin_pictures.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmapCache>

// The resource file is compiled into a static library; nothing else would pull it in.
static void initTidewellResources() {
    Q_INIT_RESOURCE(tidewell);
}

namespace tw::qt_platform {

namespace {

const char* const kStylePictures[] = {
    ":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png",
};

QPixmap readPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

// Qt writes numbers into its cache keys byte by byte in memory order (lowest first on the
// machines Tidewell runs on), the low hex digit of each byte first.
template <typename T>
QString keyNumber(T value) {
    static const char digits[] = "0123456789abcdef";
    QString out;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        const auto byte = static_cast<unsigned>((value >> (8 * i)) & 0xFFu);
        out += QLatin1Char(digits[byte & 0xFu]);
        out += QLatin1Char(digits[byte >> 4]);
    }
    return out;
}

}  // namespace

QIcon applicationIcon() {
    initTidewellResources();
    return QIcon(readPng(QStringLiteral(":/tidewell.png")));
}

QString pixmapLoadCacheKey(const QString& path) {
    const QFileInfo info(path);
    // The last number is the pixel type of a null pixmap (QPlatformPixmap::PixmapType).
    return QStringLiteral("qt_pixmap") + info.absoluteFilePath() +
           keyNumber(static_cast<quint32>(info.lastModified().toSecsSinceEpoch())) +
           keyNumber(static_cast<quint64>(info.size())) + keyNumber(quint32{0});
}

QList<QPixmap> preloadStylePictures() {
    QList<QPixmap> pictures;
    for (const char* name : kStylePictures) {
        const QString path = QString::fromLatin1(name);
        QPixmap picture = readPng(path);
        if (picture.isNull()) continue;
        QPixmapCache::insert(pixmapLoadCacheKey(path), picture);
        pictures.append(picture);
    }
    return pictures;
}

}  // namespace tw::qt_platform
