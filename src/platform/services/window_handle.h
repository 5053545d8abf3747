#pragma once

#include <cstdint>

namespace tw {

// A window's handle as the shell sees it: 32 bits, 0 for none.
using WindowHandle = std::uint32_t;

// The core names its windows and its icon by these logical handles. Form1 creates its
// controls with them; a host maps them to whatever its toolkit uses (the Qt host uses them as
// they are, the Win32 host binds each to the real HWND or HICON it creates).
inline constexpr WindowHandle kMainWindowHandle = 1;  // the window Form1
inline constexpr WindowHandle kTrayWindowHandle = 2;  // the tray control's hidden window
// The program's own icon, as a picture handle and in the shell's icon records.
inline constexpr std::uint32_t kApplicationIconHandle = 1;

}  // namespace tw
