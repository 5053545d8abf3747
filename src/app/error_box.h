#pragma once

// The box that the handlers' error traps show their reports in: a warning on the window's
// message box, which the user closes before the handler goes on.

#include "platform/services/message_box.h"
#include "runtime/error_trap.h"

namespace tw {

ErrorTrap::ReportBox errorBox(MessageBox& box);

}  // namespace tw
