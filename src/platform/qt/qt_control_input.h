#pragma once

// Hands what the user does in a widget to its model control, through the model's setters.

#include "platform/qt/qt_widget_sync.h"
#include "platform/shared/error_reporter.h"

namespace tw::qt_platform {

// `rendered` must outlive its widget's signals (the renderer owns both).
void forwardControlInput(RenderedControl& rendered, ErrorReporter report);

}  // namespace tw::qt_platform
