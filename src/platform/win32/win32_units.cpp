#include "platform/win32/win32_units.h"

namespace tw::win32_platform {

int systemDpi() {
    HDC screen = GetDC(nullptr);
    if (!screen) return kBaseDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

int twipsToPixels(int twips, int dpi) {
    // MulDiv rounds half away from zero: 500 twips are 33 pixels at 96 DPI.
    return MulDiv(twips, dpi, kTwipsPerInch);
}

RECT pixelRect(const controls::Geometry& g, int dpi) {
    const int left = twipsToPixels(g.left, dpi);
    const int top = twipsToPixels(g.top, dpi);
    return RECT{left, top, left + twipsToPixels(g.width, dpi), top + twipsToPixels(g.height, dpi)};
}

RECT windowPixelRect(const controls::Control& control, int dpi) {
    RECT rect = pixelRect(control.geometry(), dpi);
    for (const controls::Control* c = control.container(); c && c->kind() != controls::Kind::Window;
         c = c->container()) {
        const RECT outer = pixelRect(c->geometry(), dpi);
        OffsetRect(&rect, outer.left, outer.top);
    }
    return rect;
}

COLORREF colorRef(std::uint32_t color) {
    if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFFu));
    return static_cast<COLORREF>(color & 0x00FFFFFFu);
}

}  // namespace tw::win32_platform
