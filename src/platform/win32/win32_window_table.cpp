#include "platform/win32/win32_window_table.h"

namespace tw::win32_platform {

void Win32WindowTable::bind(WindowHandle logical, HWND window) {
    if (window == nullptr) {
        windows_.erase(logical);
    } else {
        windows_[logical] = window;
    }
}

HWND Win32WindowTable::hwnd(WindowHandle logical) const {
    const auto it = windows_.find(logical);
    return it == windows_.end() ? nullptr : it->second;
}

WindowHandle Win32WindowTable::logical(HWND window) const {
    for (const auto& [handle, bound] : windows_) {
        if (bound == window) return handle;
    }
    return 0;
}

}  // namespace tw::win32_platform
