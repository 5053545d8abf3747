#pragma once

// The Qt widget that renders each kind of control, with the look that never changes.

#include <QString>
#include <QWidget>

#include "platform/controls/controls.h"

namespace tw::qt_platform {

// A new widget for `control` under `parent`, at the control's place; nullptr for controls
// that have no visible place (timers).
QWidget* createControlWidget(const controls::Control& control, QWidget* parent);

// The time picker's format: the user's time format with hours, minutes and seconds.
QString pickerDisplayFormat();

}  // namespace tw::qt_platform
