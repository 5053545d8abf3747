#pragma once

#include <cstdint>

namespace tw {

// A window's handle as the shell sees it: 32 bits, 0 for none.
using WindowHandle = std::uint32_t;

}  // namespace tw
