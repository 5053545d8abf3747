#pragma once

// One running copy per session: a named mutex in the session's namespace. The system closes a
// process's handles when it ends, however it ends, so a crashed copy leaves nothing behind.
// A second launch asks the running copy to show its window: it broadcasts a registered
// message, which the running copy's main window takes (isShowRequest).

#include <string>

#include "platform/services/instance.h"
#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

class Win32InstanceLock : public InstanceLock {
  public:
    explicit Win32InstanceLock(std::string name = "Local\\Quendra.Tidewell");
    ~Win32InstanceLock() override;
    Win32InstanceLock(const Win32InstanceLock&) = delete;
    Win32InstanceLock& operator=(const Win32InstanceLock&) = delete;

    // True (and the running copy is asked to show its window) when another copy runs.
    bool anotherCopyRunning() override;

    // The message a second launch broadcasts; its wParam is the sender's process id.
    UINT showRequestMessage() const { return showRequest_; }
    // Whether a message a window received is a second launch's request to this copy, the
    // one that holds the lock: not its own broadcast, not one meant for another name.
    bool isShowRequest(UINT message, WPARAM wParam) const;

  private:
    void askRunningCopyToShow() const;

    std::string name_;
    UINT showRequest_ = 0;
    HANDLE mutex_ = nullptr;
};

}  // namespace tw::win32_platform
