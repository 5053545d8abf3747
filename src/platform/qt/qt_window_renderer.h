#pragma once

// Renders the window model with Qt widgets: one widget per control, kept in step with the
// model, and the user's input handed back to the model through its setters. Hiding happens at
// once; showing waits until the running handler has returned (see scheduleShow).

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/qt/qt_control_events.h"
#include "platform/qt/qt_host_window.h"
#include "platform/qt/qt_timer_driver.h"
#include "platform/qt/qt_widget_sync.h"
#include "platform/qt/qt_window_sync.h"
#include "platform/shared/error_reporter.h"

namespace tw::qt_platform {

class QtCursorLoader;
class QtLifetime;

class WindowRenderer {
  public:
    struct Options {
        // The window's close request (the model's query-unload handler).
        std::function<void()> queryUnload;
        // The custom pointer (99); the ordinary pointer without it.
        const QtCursorLoader* cursors = nullptr;
        // Once the program has ended no window is shown again.
        const QtLifetime* lifetime = nullptr;
        // An error that escaped a handler; stderr when empty.
        ErrorReporter reportError;
    };

    WindowRenderer(controls::Window& model, Options options);
    ~WindowRenderer();
    WindowRenderer(const WindowRenderer&) = delete;
    WindowRenderer& operator=(const WindowRenderer&) = delete;

    HostWindow& window() { return *window_; }
    // The widget of a control; nullptr for controls without one.
    // Brings a hidden window's widgets up to date first.
    QWidget* widget(const controls::Control& control);

  private:
    void buildControls();
    void setTabOrder();
    void sync(RenderedControl& rendered);
    void syncNow(RenderedControl& rendered);
    void syncStale();
    void syncChildrenOf(const controls::Control& container);
    void syncWindow();
    void scheduleShow();
    void activate();
    void syncFocus();
    void forwardWindowState();
    bool ended() const;

    controls::Window& model_;
    Options options_;
    std::unique_ptr<HostWindow> window_;
    std::unique_ptr<ControlEventFilter> events_;
    std::vector<std::unique_ptr<RenderedControl>> rendered_;
    std::unordered_map<const controls::Control*, RenderedControl*> byControl_;
    std::unordered_map<const controls::Control*, QButtonGroup*> groups_;
    std::vector<std::unique_ptr<TimerDriver>> timers_;
    WindowMirror mirror_;
    const controls::Control* focusMirrored_ = nullptr;
    bool built_ = false;  // every control has its widget and shows its first state
    bool stale_ = false;  // some control's widget waits for the window to be shown
    bool showPending_ = false;
    bool activatePending_ = false;
};

}  // namespace tw::qt_platform
