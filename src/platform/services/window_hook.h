#pragma once

#include <cstdint>

#include "platform/services/window_handle.h"

namespace tw {

using WindowProc = std::int32_t (*)(WindowHandle window, std::uint32_t message,
                                    std::uint32_t wParam, std::int32_t lParam);

// Subclassing of a window's message procedure and its user-data slot.
class WindowHook {
  public:
    virtual ~WindowHook() = default;
    // Installs `proc` as the window's procedure and returns the one it replaced.
    virtual WindowProc setWindowProc(WindowHandle window, WindowProc proc) = 0;
    virtual void setUserData(WindowHandle window, std::intptr_t value) = 0;
    virtual std::intptr_t getUserData(WindowHandle window) = 0;
    // Runs `proc` (a procedure returned by setWindowProc) with the message.
    virtual std::int32_t callWindowProc(WindowProc proc, WindowHandle window, std::uint32_t message,
                                        std::uint32_t wParam, std::int32_t lParam) = 0;
};

}  // namespace tw
