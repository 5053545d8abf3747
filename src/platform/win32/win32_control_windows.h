#pragma once

// The native window that renders each kind of control, with the look that never changes.

#include "platform/win32/win32_api.h"

#include "platform/controls/controls.h"

namespace tw::win32_platform {

// A new child window of `parent` for `control`, at the control's place in the window's client
// area; nullptr for controls without a visible place (timers). `id` is its command id.
HWND createControlWindow(const controls::Control& control, HWND parent, int id, int dpi);

// Whether a control of this kind takes the focus with the Tab key.
bool isTabStop(controls::Kind kind);

// Whether a control of this kind lets the mouse through to the window under it (a group box, a
// label): the window then gets the mouse over the control's place.
bool passesMouseThrough(controls::Kind kind);

}  // namespace tw::win32_platform
