#pragma once

// Mirrors a model control into its widget without raising the model's events again.

#include <QButtonGroup>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "platform/controls/controls.h"
#include "platform/shared/control_mirror.h"

namespace tw::qt_platform {

// One rendered control and what its mirror has to remember.
struct RenderedControl {
    controls::Control* control = nullptr;
    QWidget* widget = nullptr;
    QButtonGroup* group = nullptr;        // option buttons: their frame's exclusive group
    controls::SelectionMirror selection;  // text boxes
    // The back colour last mirrored: when a container's changes, its children follow.
    std::uint32_t backColor = 0xFFFFFFFFu;
    // The font last mirrored: building a QFont for each sync (once a second for the
    // countdown) cost more than the rest of the sync.
    std::optional<controls::Font> font;
    // Changed while its window was hidden, not mirrored yet.
    bool stale = false;
};

void syncControlWidget(RenderedControl& rendered);

}  // namespace tw::qt_platform
