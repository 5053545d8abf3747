#pragma once

// The Win32 host's handler gate (platform/handler_gate.h): while the bins are emptied on a
// worker thread (win32_background_empty.h), the user-interface thread goes on painting and
// answering the system, and every way into a handler but the user's input (which stays in the
// thread's queue) goes through runHandler(): the close box, a log-off, the window state, a tick,
// a tray notification, a second launch. Held calls run afterwards from the message loop, in the
// order they arrived. User-interface thread only.

#include <functional>

namespace tw::win32_platform {

// While one lives, handlers are held.
class HandlerHold {
  public:
    HandlerHold();
    ~HandlerHold();
    HandlerHold(const HandlerHold&) = delete;
    HandlerHold& operator=(const HandlerHold&) = delete;
};

bool handlersHeld();

// Runs `call` now, or, while handlers are held or earlier calls still wait, later from the
// message loop after those. `owner` is who the call belongs to: dropHandlers(owner) forgets
// its waiting calls when it goes away.
void runHandler(const void* owner, std::function<void()> call);
void dropHandlers(const void* owner);

}  // namespace tw::win32_platform
