#pragma once

// Mirrors a model control into its native window without raising the model's events again.

#include "platform/win32/win32_api.h"

#include <cstdint>
#include <string>

#include "platform/controls/controls.h"
#include "platform/shared/control_mirror.h"
#include "platform/win32/win32_gdi_cache.h"

namespace tw::win32_platform {

// One rendered control and what its mirror has to remember.
struct RenderedControl {
    controls::Control* control = nullptr;
    HWND hwnd = nullptr;
    int id = 0;
    // Set while the model is being mirrored into the window: the notifications the window
    // sends for the program's own changes (EN_CHANGE after WM_SETTEXT) are not the user's.
    bool mirroring = false;
    controls::SelectionMirror selection;  // text boxes
    // Option buttons: set while the button takes the focus; the click it sends then is the
    // focus arriving, not the user choosing it.
    bool takingFocus = false;
    // The font last given to the window.
    HFONT font = nullptr;
    // The main window's tooltip control, and the control's tip on it in the ANSI code page
    // (empty: no tool, so no tip shows).
    HWND toolTips = nullptr;
    std::string toolTipShown;
};

void syncControlWindow(RenderedControl& rendered, GdiCache& gdi);

}  // namespace tw::win32_platform
