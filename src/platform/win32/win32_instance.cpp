#include "platform/win32/win32_instance.h"

namespace tw::win32_platform {

Win32InstanceLock::Win32InstanceLock(std::string name)
    : name_(std::move(name)), showRequest_(RegisterWindowMessageA((name_ + ".show").c_str())) {}

void Win32InstanceLock::askRunningCopyToShow() const {
    // The running copy may bring its window to the front: the user just asked for it.
    AllowSetForegroundWindow(ASFW_ANY);
    PostMessageA(HWND_BROADCAST, showRequest_, GetCurrentProcessId(), 0);
}

bool Win32InstanceLock::isShowRequest(UINT message, WPARAM wParam) const {
    return mutex_ != nullptr && showRequest_ != 0 && message == showRequest_ &&
           wParam != GetCurrentProcessId();
}

Win32InstanceLock::~Win32InstanceLock() {
    if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool Win32InstanceLock::anotherCopyRunning() {
    if (mutex_ != nullptr) return false;  // this copy holds it already
    // The mutex is never waited on: its existence is the lock, and it lives exactly as long as
    // some process holds a handle to it.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name_.c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        // The name exists but this user may not open it: another copy in this session holds
        // it. Any other failure: better to run than to refuse to start.
        if (error == ERROR_ACCESS_DENIED) {
            askRunningCopyToShow();
            return true;
        }
        OutputDebugStringA(
            "Tidewell: can't create the instance mutex; not checking for "
            "another copy.\r\n");
        return false;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        askRunningCopyToShow();
        return true;
    }
    mutex_ = mutex;
    // A copy started as administrator still hears an ordinary user's second launch.
    ChangeWindowMessageFilter(showRequest_, MSGFLT_ADD);
    return false;
}

}  // namespace tw::win32_platform
