#pragma once

// Renders the window model with native Win32 controls: one child window per control, kept in
// step with the model, and the user's input handed back to the model through its setters.
// Hiding happens at once; showing waits until the running handler has returned.
//
// All controls are children of the main window itself, placed at their container's offset
// plus their own: a group box does not pass its children's notifications on, and the tab
// order runs across containers (the start-up boxes come before the buttons).

#include "platform/win32/win32_api.h"

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/shared/error_reporter.h"
#include "platform/shared/modal_boxes.h"
#include "platform/win32/win32_control_sync.h"
#include "platform/win32/win32_gdi_cache.h"
#include "platform/win32/win32_instance_channel.h"
#include "platform/win32/win32_timer_driver.h"
#include "platform/win32/win32_tray_watch.h"
#include "platform/win32/win32_window_sync.h"

namespace tw::win32_platform {

class WindowRenderer {
  public:
    // What the window asks of the program, by name.
    struct Options {
        // The window's close request (the model's query-unload handler).
        std::function<void()> queryUnload;
        // The custom pointer (99); null until one is loaded.
        std::function<HCURSOR()> customPointer;
        // Once the program has ended no window is shown again and no close is forwarded.
        std::function<bool()> ended;
        // An error that escaped a handler; the debugger output when empty.
        ErrorReporter reportError;
        // The notification area coming back or going away (win32_tray_watch.h).
        TrayWatch::Callbacks tray;
        // A second launch's request to show this copy's window (win32_instance_channel.h).
        ShowRequests::Callbacks showRequests;
        // The program's message boxes open now (shared/modal_boxes.h); none when null.
        const ModalBoxes* modalBoxes = nullptr;
    };

    WindowRenderer(controls::Window& model, Options options);
    ~WindowRenderer();
    WindowRenderer(const WindowRenderer&) = delete;
    WindowRenderer& operator=(const WindowRenderer&) = delete;

    // The main window; bound to the model's window handle by the caller.
    HWND hwnd() const { return hwnd_; }
    // A hidden window that receives the tray icon's notifications (subclassed by the tray).
    HWND trayHwnd() const { return tray_; }
    // The native window of a control; nullptr for controls without one.
    HWND controlWindow(const controls::Control& control) const;
    // Mirrors again whether the window takes input: the last box over it has closed.
    void syncInput();

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK controlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR subclass, DWORD_PTR data);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleControl(RenderedControl& rendered, UINT message, WPARAM wParam, LPARAM lParam);
    // A frame's paint, through a memory bitmap: its caption (the status line) never shows blank.
    void paintFrame(RenderedControl& rendered);

    void createWindows();
    void buildControls();
    void setTabOrder();
    RenderedControl* rendered(HWND window) const;
    void sync(RenderedControl& rendered);
    void syncWindow();
    bool takesInput() const;
    void syncPointer();
    void scheduleShow();
    void showNow();
    void activate();
    void syncFocus();
    void reportFocus(WPARAM index);
    void forwardWindowState();
    // Runs a model handler through the handler gate; not once the program has ended.
    void runModelHandler(std::function<void()> call);
    void moveFocus(WPARAM wParam, LPARAM lParam);
    void mouseMoveOverWindow(LPARAM lParam);
    LRESULT controlColour(HDC dc, HWND control);
    bool setPointer(LPARAM lParam);
    void requestClose();
    bool ended() const;

    controls::Window& model_;
    Options options_;
    GdiCache gdi_;
    HWND hwnd_ = nullptr;
    HWND tray_ = nullptr;
    HWND toolTips_ = nullptr;
    std::vector<std::unique_ptr<RenderedControl>> rendered_;
    std::unordered_map<const controls::Control*, RenderedControl*> byControl_;
    std::unordered_map<HWND, RenderedControl*> byWindow_;
    std::vector<std::unique_ptr<TimerDriver>> timers_;
    std::unique_ptr<TrayWatch> trayWatch_;
    ShowRequests showRequests_;
    WindowMirror mirror_;
    const controls::Control* focusMirrored_ = nullptr;
    HWND firstTabStop_ = nullptr;
    // The control that had the focus when the window was deactivated; it gets it back.
    HWND savedFocus_ = nullptr;
    bool shownOnce_ = false;
    bool showPending_ = false;
    bool activatePending_ = false;
};

}  // namespace tw::win32_platform
