#pragma once

// Hands what the user does in a native control to its model control, through the model's
// setters.

#include "platform/win32/win32_api.h"

#include "platform/shared/error_reporter.h"
#include "platform/win32/win32_control_sync.h"

namespace tw::win32_platform {

// A WM_COMMAND notification (`code`) from the control's window.
void controlCommand(RenderedControl& rendered, UINT code, GdiCache& gdi,
                    const ErrorReporter& report);
// A WM_NOTIFY notification from the control's window.
void controlNotify(RenderedControl& rendered, const NMHDR& header, GdiCache& gdi,
                   const ErrorReporter& report);

}  // namespace tw::win32_platform
