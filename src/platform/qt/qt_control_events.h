#pragma once

// The pointer moving over a control and the user moving the focus, reported to the model; the
// keyboard's Enter on a button.

#include <QObject>

class QAbstractButton;
class QKeyEvent;
#include <unordered_map>

#include "platform/controls/controls.h"
#include "platform/shared/error_reporter.h"

namespace tw::qt_platform {

class ControlEventFilter : public QObject {
  public:
    ControlEventFilter(controls::Window& window, ErrorReporter report);
    // Reports `widget`'s mouse moves and focus to `control` (the window itself included).
    void watch(QObject* widget, controls::Control& control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    static bool pressedByEnter(QAbstractButton& button, const QKeyEvent& key);

    controls::Window& window_;
    ErrorReporter report_;
    std::unordered_map<const QObject*, controls::Control*> controls_;
};

}  // namespace tw::qt_platform
