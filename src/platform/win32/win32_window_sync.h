#pragma once

// Mirrors the window model's own properties into the main window.

#include "platform/win32/win32_api.h"

#include <functional>

#include "platform/controls/controls.h"

namespace tw::win32_platform {

// What the main window shows of the model so far.
struct WindowMirror {
    bool placed = false;  // centred on the work area before it was first shown
    int pointer = -1;
    int hasIcon = -1;
};

// The window's pointer: 11 the hourglass, 99 the custom one (the arrow without it); null for
// the ordinary pointer, which leaves each control its own (the I-beam over text boxes).
HCURSOR windowPointer(int pointer, HCURSOR custom);

// Title, icon and enabled flag (`takesInput`: the model's, unless a box is open over it).
void syncWindowLook(const controls::Window& model, HWND window, WindowMirror& mirror,
                    bool takesInput);
// Shown, hidden, minimised or normal, as the model says.
void syncWindowShown(const controls::Window& model, HWND window, WindowMirror& mirror);

}  // namespace tw::win32_platform
