#pragma once

// Pictures compiled into the program and into Qt, read with Qt's own PNG decoder only.
//
// A picture read through QIcon(fileName) or QPixmap(fileName) goes to a QImageReader left to
// guess the format, and that first loads every image format plugin installed (with libraries
// such as libtiff, libwebp, libjpeg and Qt's SVG module: megabytes of memory, and time at
// start) only to ask each of them about PNG. Tidewell shows no picture of another format.

#include <QIcon>
#include <QPixmap>

namespace tw::qt_platform {

// The program's icon, for the window and the notification area.
QIcon applicationIcon();

// Reads the pictures the style draws the window with (the group-box frame of Qt's Fusion
// style) into the pixmap cache where the style looks for them, and returns them. Should a Qt
// version look elsewhere, the style reads them itself as before: the look is the same.
QList<QPixmap> preloadStylePictures();

// The key under which QPixmap::load() caches a picture read from `path`.
QString pixmapLoadCacheKey(const QString& path);

}  // namespace tw::qt_platform
