#pragma once

// When a host's real timer has to fire for a model timer, and the tick it then runs. Both
// hosts drive their timers from this, so the deadlines are the same on each: counted from the
// moment the timer was (re)started or its interval set, and advanced by the interval, so that
// a long countdown does not drift by the time each tick takes.

#include <chrono>
#include <functional>
#include <optional>

#include "platform/controls/controls.h"
#include "platform/shared/error_reporter.h"

namespace tw {

class TickSchedule {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Now = std::function<TimePoint()>;

    // After any change of the model timer: how long the real timer waits for the next expiry.
    // Nothing when the timer stopped, or while a tick runs (the tick's end follows again).
    std::optional<std::chrono::milliseconds> follow(const controls::Timer& timer, const Now& now);
    // Whether an expiry is to tick: the timer runs and no tick is running (a tick processes
    // events, so the next expiry can arrive inside it).
    bool due(const controls::Timer& timer) const { return timer.running() && !timer.ticking(); }
    // An expiry: moves the deadline on and runs the model's tick.
    void tick(controls::Timer& timer, const ErrorReporter& report, TimePoint now);

    TimePoint deadline() const { return deadline_; }

  private:
    TimePoint deadline_{};
    unsigned serial_ = 0;
    bool anchored_ = false;
};

}  // namespace tw
