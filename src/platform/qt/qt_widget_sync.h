#pragma once

// Mirrors a model control into its widget without raising the model's events again.

#include <QButtonGroup>
#include <QWidget>
#include <cstdint>

#include "platform/control_mirror.h"
#include "platform/controls.h"

namespace tw::qt_platform {

// One rendered control and what its mirror has to remember.
struct RenderedControl {
    controls::Control* control = nullptr;
    QWidget* widget = nullptr;
    QButtonGroup* group = nullptr;        // option buttons: their frame's exclusive group
    controls::SelectionMirror selection;  // text boxes
    // The back colour last mirrored: when a container's changes, its children follow.
    std::uint32_t backColor = 0xFFFFFFFFu;
};

void syncControlWidget(RenderedControl& rendered);

}  // namespace tw::qt_platform
