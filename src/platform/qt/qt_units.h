#pragma once

// Conversions between the control model's units and Qt's: twips, fonts, colours, text.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <cstdint>
#include <string>

#include "platform/controls/controls.h"

namespace tw::qt_platform {

inline constexpr int kTwipsPerPixel = 15;

int twipsToPixels(int twips);
QRect pixelRect(const controls::Geometry& twips);

// The model's font with fallbacks for a desktop that lacks the named family (Arial is
// usually missing on Linux; its metric twins stand in).
QFont qtFont(const controls::Font& font);

// 0x00BBGGRR, or a system colour when the top bit is set (taken from the palette).
QColor qtColor(std::uint32_t color);

inline QString qs(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

}  // namespace tw::qt_platform
