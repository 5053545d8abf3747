#pragma once

// One running copy per session: a named mutex in the session's namespace. The system closes a
// process's handles when it ends, however it ends, so a crashed copy leaves nothing behind.

#include <string>

#include "platform/instance.h"
#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

class Win32InstanceLock : public InstanceLock {
  public:
    explicit Win32InstanceLock(std::string name = "Local\\Quendra.Tidewell");
    ~Win32InstanceLock() override;
    Win32InstanceLock(const Win32InstanceLock&) = delete;
    Win32InstanceLock& operator=(const Win32InstanceLock&) = delete;

    bool anotherCopyRunning() override;

  private:
    std::string name_;
    HANDLE mutex_ = nullptr;
};

}  // namespace tw::win32_platform
