#pragma once

#include <cstdint>

#include "platform/services/window_handle.h"

namespace tw {

// Sends a message to a window's current procedure and returns what it returned: how a host
// without the shell's own windows hands the shell's notifications to the window that asked.
class WindowMessages {
  public:
    virtual ~WindowMessages() = default;
    virtual std::int32_t sendMessage(WindowHandle window, std::uint32_t message,
                                     std::uint32_t wParam, std::int32_t lParam) = 0;
};

}  // namespace tw
