#include "platform/win32/win32_lifetime.h"

#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

namespace {

BOOL CALLBACK hideWindow(HWND window, LPARAM) {
    ShowWindow(window, SW_HIDE);
    return TRUE;
}

}  // namespace

void Win32Lifetime::endHost(int exitCode) {
    EnumThreadWindows(GetCurrentThreadId(), &hideWindow, 0);
    PostQuitMessage(exitCode);
}

}  // namespace tw::win32_platform
