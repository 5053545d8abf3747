#pragma once

// The Win32 host's handler gate (platform/shared/handler_gate.h): while the bins are emptied on a
// worker thread (win32_background_empty.h), the user-interface thread goes on painting and
// answering the system, and every way into a handler but the user's input (which stays in the
// thread's queue) goes through handlerGate().run(): the close box, a log-off, the window state,
// a focus report, a tick, a tray notification, a second launch. Held calls run afterwards from
// whichever message loop runs the thread, in the order they arrived. User-interface thread only.

#include "platform/shared/handler_gate.h"

namespace tw::win32_platform {

HandlerGate& handlerGate();

}  // namespace tw::win32_platform
