#include "platform/qt/qt_cursor_loader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <algorithm>

#include "platform/qt/qt_units.h"
#include "runtime/errors.h"

namespace tw::qt_platform {

namespace {

// A cursor file is a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxCursorFileBytes = 4 * 1024 * 1024;

int le16(const QByteArray& data, int offset) {
    return static_cast<unsigned char>(data[offset]) |
           (static_cast<unsigned char>(data[offset + 1]) << 8);
}

}  // namespace

std::optional<HotSpot> cursorHotSpot(const QByteArray& file) {
    // ICONDIR: reserved, type, count; then 16-byte entries whose bytes 4..7 hold the hot spot.
    constexpr int kDirSize = 6;
    constexpr int kEntrySize = 16;
    if (file.size() < kDirSize + kEntrySize) return std::nullopt;
    if (le16(file, 0) != 0 || le16(file, 2) != 2 || le16(file, 4) < 1) return std::nullopt;
    return HotSpot{le16(file, kDirSize + 4), le16(file, kDirSize + 6)};
}

void QtCursorLoader::loadCursor(const std::string& path) {
    QFile file(qs(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCursorFileBytes) {
        throw invalidPictureError();
    }
    QByteArray data = file.readAll();
    const auto hot = cursorHotSpot(data);
    if (!hot) throw invalidPictureError();
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    const QImage image = reader.read();
    if (image.isNull()) throw invalidPictureError();
    const int x = std::clamp(hot->x, 0, image.width() - 1);
    const int y = std::clamp(hot->y, 0, image.height() - 1);
    cursor_ = QCursor(QPixmap::fromImage(image), x, y);
}

}  // namespace tw::qt_platform
