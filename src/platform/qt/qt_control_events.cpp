#include "platform/qt/qt_control_events.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

namespace tw::qt_platform {

ControlEventFilter::ControlEventFilter(controls::Window& window, ErrorReporter report)
    : window_(window), report_(std::move(report)) {}

void ControlEventFilter::watch(QObject* widget, controls::Control& control) {
    controls_[widget] = &control;
    widget->installEventFilter(this);
}

bool ControlEventFilter::pressedByEnter(QAbstractButton& button, const QKeyEvent& key) {
    // Enter and keypad Enter press the focused button, as Space does; held down, once.
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    if (!enter || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (!key.isAutoRepeat()) button.click();
    return true;
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
        // The focus shows on every control however it got there, not only after the Tab key.
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            widget->window()->setAttribute(Qt::WA_KeyboardFocusChange);
        }
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            guarded(report_, [&] { window_.setFocus(control); });
        }
    } else if (event->type() == QEvent::KeyPress && control.kind() == controls::Kind::PushButton) {
        return pressedByEnter(*static_cast<QAbstractButton*>(watched),
                              *static_cast<QKeyEvent*>(event));
    }
    return false;
}

}  // namespace tw::qt_platform
