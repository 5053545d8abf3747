#pragma once

// Keeps the program's way back to its window while the window is hidden in the notification
// area: when Explorer restarts, its new taskbar starts empty and broadcasts "TaskbarCreated"
// (the icon is added again); when no taskbar comes back, a check every two seconds finds the
// notification area gone and the program shows its window another way. Nothing is checked
// while the window is shown. Both run as handlers, through the handler gate.

#include "platform/win32/win32_api.h"

#include <functional>

namespace tw::win32_platform {

class TrayWatch {
  public:
    struct Callbacks {
        // The shell's "TaskbarCreated" message, and what to do when it comes.
        UINT taskbarCreatedMessage = 0;
        std::function<void()> taskbarCreated;
        // Whether a notification area is there now; what to do when it is found gone.
        std::function<bool()> available;
        std::function<void()> lost;
    };

    // The checks' timer belongs to `window`, whose procedure passes its messages to handle().
    TrayWatch(HWND window, Callbacks callbacks);
    ~TrayWatch();
    TrayWatch(const TrayWatch&) = delete;
    TrayWatch& operator=(const TrayWatch&) = delete;

    // Checks while `hidden`, not otherwise.
    void follow(bool hidden);
    // True for a message of the watch's own (taken care of).
    bool handle(UINT message, WPARAM wParam);

  private:
    HWND window_;
    Callbacks callbacks_;
    bool watching_ = false;
};

}  // namespace tw::win32_platform
