#include "platform/qt/qt_units.h"

#include <QApplication>
#include <QPalette>
#include <QStringList>
#include <cmath>

namespace tw::qt_platform {

int twipsToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

QRect pixelRect(const controls::Geometry& g) {
    return QRect(twipsToPixels(g.left), twipsToPixels(g.top), twipsToPixels(g.width),
                 twipsToPixels(g.height));
}

QFont qtFont(const controls::Font& font) {
    QFont f;
    QStringList families{qs(font.name)};
    if (font.name == "Arial")
        families << "Liberation Sans"
                 << "Arimo";
    f.setFamilies(families);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(font.points);
    f.setWeight(font.bold ? QFont::Bold : QFont::Normal);
    return f;
}

QColor qtColor(std::uint32_t color) {
    if (color & 0x80000000u) {
        const QPalette palette = QApplication::palette();
        switch (color & 0xFFu) {
            case 5:  // window
                return palette.color(QPalette::Base);
            case 8:  // window text
                return palette.color(QPalette::Text);
            case 18:  // button text
                return palette.color(QPalette::ButtonText);
            case 15:  // button face
                return palette.color(QPalette::Button);
            default:
                return palette.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(color & 0xFFu), static_cast<int>((color >> 8) & 0xFFu),
                  static_cast<int>((color >> 16) & 0xFFu));
}

}  // namespace tw::qt_platform
