#pragma once

// The thread's message queue, run from inside a handler. Waits sleep in
// MsgWaitForMultipleObjects: no polling.

#include <functional>
#include <vector>

#include "platform/services/event_pump.h"
#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

class Win32Lifetime;

class Win32EventPump : public EventPump {
  public:
    // With a lifetime, no message is handled any more once the program has ended.
    explicit Win32EventPump(const Win32Lifetime* lifetime = nullptr) : lifetime_(lifetime) {}

    // Keyboard navigation of this window (Tab, arrow keys, default button) goes through
    // IsDialogMessageA before any message is dispatched; null for none.
    void setDialogWindow(HWND window) { dialog_ = window; }

    void processEvents() override;
    // Sleeps until messages come or `seconds` have passed; returns once it has handled some.
    void waitForEvents(double seconds) override;

    // The program's message loop: until WM_QUIT, whose code it returns. A WM_QUIT that a
    // nested pump took out of the queue is put back for it, so the loop ends as well.
    int run();
    // Calls `call` from run() each time `event` is signalled: from the program's own loop
    // only, never from a loop inside a handler (processEvents, a message box), and not once
    // the program has ended. Until unwatch(event).
    void watch(HANDLE event, std::function<void()> call);
    void unwatch(HANDLE event);

    bool quitSeen() const { return quit_; }
    bool ended() const;

  private:
    void dispatch(MSG& msg);
    // Handles the messages waiting now; returns how many.
    int pumpWaiting();

    struct Watched {
        HANDLE event;
        std::function<void()> call;
    };
    std::vector<Watched> watched_;
    const Win32Lifetime* lifetime_;
    HWND dialog_ = nullptr;
    bool quit_ = false;
    int quitCode_ = 0;
};

}  // namespace tw::win32_platform
