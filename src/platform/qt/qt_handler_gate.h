#pragma once

// The program's handlers run one at a time on the user-interface thread, and never inside a
// call into the shell that empties the bins. That call runs on a worker thread so that the
// window keeps painting and answering the desktop (see qt_background_empty.h); meanwhile
// Qt holds back the user's input itself, and every other way into a handler (a close request
// from the window manager, a minimise, a timer, a tray notification, a second launch) goes
// through runHandler(), which keeps the call until the empty is over. Held calls then run from
// the event loop, in the order they arrived, as a blocked program would serve its queue (the
// decisions are the portable HandlerGate's, platform/shared/handler_gate.h).

#include <QObject>
#include <functional>

namespace tw::qt_platform {

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
// event loop after those. A call whose `context` has been destroyed meanwhile is dropped.
void runHandler(QObject* context, std::function<void()> call);

}  // namespace tw::qt_platform
