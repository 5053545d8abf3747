#include "platform/qt/qt_control_events.h"

#include <QEvent>
#include <QFocusEvent>

namespace tw::qt_platform {

ControlEventFilter::ControlEventFilter(controls::Window& window, ErrorReporter report)
    : window_(window), report_(std::move(report)) {}

void ControlEventFilter::watch(QObject* widget, controls::Control& control) {
    controls_[widget] = &control;
    widget->installEventFilter(this);
}

bool ControlEventFilter::eventFilter(QObject* watched, QEvent* event) {
    const auto found = controls_.find(watched);
    if (found == controls_.end()) return false;
    controls::Control& control = *found->second;
    if (event->type() == QEvent::MouseMove) {
        guarded(report_, [&] { control.mouseMove(); });
    } else if (event->type() == QEvent::FocusIn && &control != &window_) {
        // The focus coming back when a message box or a popup closes, or when the window is
        // activated again, is not the user moving it: no GotFocus / LostFocus for that.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            guarded(report_, [&] { window_.setFocus(control); });
        }
    }
    return false;
}

}  // namespace tw::qt_platform
