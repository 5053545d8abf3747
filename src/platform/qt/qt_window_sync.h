#pragma once

// Mirrors the window model's own properties into the host window.

#include <cstdint>

#include "platform/controls/controls.h"
#include "platform/qt/qt_host_window.h"

namespace tw::qt_platform {

class QtCursorLoader;

// What the host window shows of the model so far.
struct WindowMirror {
    bool placed = false;  // centred on the screen before it was first shown
    int pointer = -1;
    bool customPointer = false;
    int hasIcon = -1;
    std::uint32_t backColor = 0xFFFFFFFFu;
};

// Title, icon, background, font and the window-wide pointer.
void syncWindowLook(const controls::Window& model, HostWindow& window, WindowMirror& mirror,
                    const QtCursorLoader* cursors);
// Shown, hidden, minimised or normal, as the model says.
void syncWindowShown(const controls::Window& model, HostWindow& window, WindowMirror& mirror);

}  // namespace tw::qt_platform
