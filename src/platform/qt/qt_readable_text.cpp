#include "platform/qt/qt_readable_text.h"

#include <QApplication>
#include <algorithm>
#include <cmath>

namespace tw::qt_platform {

namespace {

// Enough for ordinary text; disabled text may be fainter, as long as it can still be read.
constexpr double kTextContrast = 4.5;
constexpr double kDisabledTextContrast = 3.0;

double luminance(const QColor& color) {
    const auto channel = [](float c) {
        return c <= 0.03928f ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

QColor mix(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

QColor readableOn(const QColor& background, const QColor& preferred, bool disabled) {
    if (contrastRatio(preferred, background) >=
        (disabled ? kDisabledTextContrast : kTextContrast)) {
        return preferred;
    }
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const QColor strongest =
        contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
    // Disabled text goes halfway to the background: plainly fainter, still readable on white.
    return disabled ? mix(strongest, background) : strongest;
}

}  // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void keepTextReadable(QPalette& palette, const QColor& background) {
    const QPalette desktop = QApplication::palette();
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        // Set even when it matches, so that a control never inherits its container's choice
        // made for another background.
        palette.setColor(group, QPalette::WindowText,
                         readableOn(background, desktop.color(group, QPalette::WindowText),
                                    group == QPalette::Disabled));
    }
}

}  // namespace tw::qt_platform
