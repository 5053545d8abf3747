#pragma once

// What both hosts decide the same way about a long empty of the bins: it runs on a worker
// thread so that the window keeps painting, yet the program must behave as behind a blocking
// call: no handler runs inside the empty, and the handlers that asked to run meanwhile (a close
// request, a log-off, a tick, a tray notification, a second launch) run afterwards, one at a
// time, in the order they arrived. The host holds the gate for the empty's length, routes every
// way into a handler but the user's input (which it keeps in its own queue) through run(), and
// has drain() called from its event loop when post() asks for it. User-interface thread only.

#include <deque>
#include <functional>

namespace tw {

class HandlerGate {
  public:
    // Asks the host's event loop to call drain() soon; never calls it directly.
    explicit HandlerGate(std::function<void()> post) : post_(std::move(post)) {}
    HandlerGate(const HandlerGate&) = delete;
    HandlerGate& operator=(const HandlerGate&) = delete;

    void hold() { ++holds_; }
    void release();
    bool held() const { return holds_ > 0; }

    // Runs `call` now, or, while the gate is held or earlier calls still wait, later from
    // drain() after those. `owner` names who the call belongs to, for drop().
    void run(const void* owner, std::function<void()> call);
    // Forgets the waiting calls of an owner that goes away.
    void drop(const void* owner);
    // Runs the waiting calls in order until none is left or one of them holds the gate again
    // (a held call that starts another empty: the rest wait for that one too).
    void drain();

  private:
    struct Waiting {
        const void* owner;
        std::function<void()> call;
    };
    void postOnce();

    std::function<void()> post_;
    int holds_ = 0;
    bool posted_ = false;
    std::deque<Waiting> waiting_;
};

// Holds a gate for its lifetime.
class GateHold {
  public:
    explicit GateHold(HandlerGate& gate) : gate_(gate) { gate_.hold(); }
    ~GateHold() { gate_.release(); }
    GateHold(const GateHold&) = delete;
    GateHold& operator=(const GateHold&) = delete;

  private:
    HandlerGate& gate_;
};

}  // namespace tw
