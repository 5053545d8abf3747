#pragma once

// Drives a model timer with a real one: a tick every interval while the model timer runs.

#include <QTimer>

#include "platform/controls/controls.h"
#include "platform/shared/error_reporter.h"
#include "platform/shared/tick_schedule.h"

namespace tw::qt_platform {

class TimerDriver {
  public:
    using TimePoint = TickSchedule::TimePoint;
    using Now = TickSchedule::Now;

    explicit TimerDriver(controls::Timer& timer, ErrorReporter report = {}, Now now = {});
    TimerDriver(const TimerDriver&) = delete;
    TimerDriver& operator=(const TimerDriver&) = delete;

    // After any change of the model timer: start, stop or re-anchor.
    void sync();
    // The real timer's expiry (public for tests that drive the clock themselves).
    void fire();

    bool armed() const { return qtimer_.isActive(); }
    TimePoint deadline() const { return schedule_.deadline(); }

  private:
    controls::Timer& timer_;
    ErrorReporter report_;
    Now now_;
    QTimer qtimer_;
    TickSchedule schedule_;
};

}  // namespace tw::qt_platform
