#pragma once

// What assistive technology learns of each control: a name of its own where the caption does
// not give one (otherwise Qt names a box after the frame around it, and a drop-down list after
// its current entry), and, for the status line, the role of a status bar whose changes are
// announced.

#include <QWidget>

#include "platform/controls/controls.h"

namespace tw::qt_platform {

void describeForAssistiveTechnology(QWidget& widget, const controls::Control& control);

}  // namespace tw::qt_platform
