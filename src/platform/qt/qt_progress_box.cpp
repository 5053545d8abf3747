#include "platform/qt/qt_progress_box.h"

#include <QStyle>
#include <QStyleOptionProgressBar>
#include <algorithm>
#include <cmath>

namespace tw::qt_platform {

void ProgressBox::setPosition(int value) {
    setValue(value);
    // A hidden bar is painted whole when it shows again.
    if (isVisible() && endMovedSincePainted()) update();
}

QString ProgressBox::text() const {
    return isTextVisible() ? QProgressBar::text() : QString();
}

void ProgressBox::paintEvent(QPaintEvent* event) {
    painted_ = value();
    QProgressBar::paintEvent(event);
}

bool ProgressBox::endMovedSincePainted() {
    const int now = value();
    if (painted_ == now) return false;
    const double steps = double(maximum()) - double(minimum());
    if (painted_ == std::numeric_limits<int>::min() || steps <= 0) return true;
    if (lengthsStyle_ != style() || lengthsSize_ != size()) {
        QStyleOptionProgressBar option;
        initStyleOption(&option);
        const QStyle& s = *style();
        lengths_ = {s.subElementRect(QStyle::SE_ProgressBarContents, &option, this).width(),
                    s.subElementRect(QStyle::SE_ProgressBarGroove, &option, this).width(), width()};
        lengthsStyle_ = style();
        lengthsSize_ = size();
    }
    const auto done = [&](int v) { return std::clamp(double(v) - minimum(), 0.0, steps) / steps; };
    for (const int length : lengths_) {
        const double before = done(painted_) * length;
        const double after = done(now) * length;
        if (std::floor(before) != std::floor(after) || std::ceil(before) != std::ceil(after) ||
            std::lround(before) != std::lround(after)) {
            return true;
        }
    }
    return false;
}

}  // namespace tw::qt_platform
