#pragma once

// What screen readers learn of a control whose caption does not name it (a box named by the
// label beside it, the countdown bar): the system's own accessible object for the control
// (its role, value, state, place) with the model's accessibleName() as its name. A frame whose
// caption is announced tells the screen reader when it changes (win32_control_sync.cpp).

#include "platform/win32/win32_api.h"

#include <string>

namespace tw::win32_platform {

// The answer to WM_GETOBJECT for a control named `name` (UTF-8); 0 (the system's own answer)
// for the objects other than its client area.
LRESULT namedAccessibleObject(HWND control, WPARAM wParam, LPARAM lParam, const std::string& name);

}  // namespace tw::win32_platform
