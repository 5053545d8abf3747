#pragma once

// Mirrors a model control into its widget without raising the model's events again.

#include <QButtonGroup>
#include <QWidget>
#include <cstdint>

#include "platform/controls.h"

namespace tw::qt_platform {

// One rendered control and what its mirror has to remember.
struct RenderedControl {
    controls::Control* control = nullptr;
    QWidget* widget = nullptr;
    QButtonGroup* group = nullptr;  // option buttons: their frame's exclusive group
    // Text boxes: the selection last mirrored, and whether the user's typing is being handed
    // to the model right now (the caret must then stay where the user put it).
    int selStart = 0;
    int selLength = 0;
    bool userEditing = false;
    // The back colour last mirrored: when a container's changes, its children follow.
    std::uint32_t backColor = 0xFFFFFFFFu;
};

void syncControlWidget(RenderedControl& rendered);

}  // namespace tw::qt_platform
