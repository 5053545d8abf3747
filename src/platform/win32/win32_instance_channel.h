#pragma once

// The receiving end of a second launch's request to show this copy's window
// (Win32InstanceLock broadcasts it): the main window's procedure hands its messages here, and a
// request runs the program's handler through the handler gate, after any empty in progress.

#include "platform/win32/win32_api.h"

#include <functional>

namespace tw::win32_platform {

class ShowRequests {
  public:
    struct Callbacks {
        // Whether a message is a request to this copy (Win32InstanceLock::isShowRequest).
        std::function<bool(UINT message, WPARAM wParam)> isRequest;
        std::function<void()> show;
    };

    explicit ShowRequests(Callbacks callbacks) : callbacks_(std::move(callbacks)) {}
    ~ShowRequests();
    ShowRequests(const ShowRequests&) = delete;
    ShowRequests& operator=(const ShowRequests&) = delete;

    // True for a request (taken care of).
    bool handle(UINT message, WPARAM wParam);

  private:
    Callbacks callbacks_;
};

}  // namespace tw::win32_platform
