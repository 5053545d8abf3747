#pragma once

// The core names windows by small logical handles (the main window, the tray window); the
// window host creates the real windows and binds them here. Services that take a core handle
// translate it through this table.

#include <map>

#include "platform/services/window_handle.h"
#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

class Win32WindowTable {
  public:
    // Binds `logical` to `window`; a null window removes the binding.
    void bind(WindowHandle logical, HWND window);
    // The real window, or null when none is bound.
    HWND hwnd(WindowHandle logical) const;
    // The logical handle of a real window, or 0 when it has none.
    WindowHandle logical(HWND window) const;

  private:
    std::map<WindowHandle, HWND> windows_;
};

}  // namespace tw::win32_platform
