#pragma once

// Window procedures without a window system: an in-process table of window handles, each
// with its current procedure and user-data slot. A host whose toolkit has no window
// procedures (Qt) uses it as the window hook, and its notification area delivers the shell's
// callbacks through sendMessage, on the user-interface thread, one call per notification.

#include <cstdint>
#include <unordered_map>

#include "platform/services/window_hook.h"
#include "platform/services/window_messages.h"

namespace tw {

class WindowTable : public WindowHook, public WindowMessages {
  public:
    // The procedure every window starts with: it handles nothing and returns 0.
    static std::int32_t DefaultWindowProc(WindowHandle window, std::uint32_t message,
                                          std::uint32_t wParam, std::int32_t lParam);

    // A null `proc` puts the default procedure back.
    WindowProc setWindowProc(WindowHandle window, WindowProc proc) override;
    void setUserData(WindowHandle window, std::intptr_t value) override;
    std::intptr_t getUserData(WindowHandle window) override;
    std::int32_t callWindowProc(WindowProc proc, WindowHandle window, std::uint32_t message,
                                std::uint32_t wParam, std::int32_t lParam) override;

    // Runs the window's current procedure with the message and returns its result.
    std::int32_t sendMessage(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                             std::int32_t lParam) override;
    WindowProc windowProc(WindowHandle window) const;

  private:
    struct Window {
        WindowProc proc = &DefaultWindowProc;
        std::intptr_t userData = 0;
    };
    std::unordered_map<WindowHandle, Window> windows_;
};

}  // namespace tw
