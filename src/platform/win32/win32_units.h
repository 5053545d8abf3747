#pragma once

// The control model's twips and colours in Win32 terms. Twips become pixels at the system's
// DPI (15 twips to the pixel at 96 DPI).

#include "platform/win32/win32_api.h"

#include <cstdint>

#include "platform/controls/controls.h"

namespace tw::win32_platform {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kBaseDpi = 96;

// The system DPI (the program is DPI aware through its manifest; otherwise 96).
int systemDpi();
int twipsToPixels(int twips, int dpi);
// A control's rectangle in its container's client area.
RECT pixelRect(const controls::Geometry& twips, int dpi);
// A control's rectangle in the window's client area: the native controls all sit directly on
// the window (group boxes cannot parent controls that talk back), so containers are added in.
RECT windowPixelRect(const controls::Control& control, int dpi);

// 0x00BBGGRR, or a system colour when the top bit is set.
COLORREF colorRef(std::uint32_t color);

}  // namespace tw::win32_platform
