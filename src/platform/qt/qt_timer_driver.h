#pragma once

// Drives a model timer with a real one: a tick every interval while the model timer runs.

#include <QTimer>
#include <chrono>
#include <functional>

#include "platform/controls.h"
#include "platform/error_reporter.h"

namespace tw::qt_platform {

class TimerDriver {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Now = std::function<TimePoint()>;

    explicit TimerDriver(controls::Timer& timer, ErrorReporter report = {}, Now now = {});
    TimerDriver(const TimerDriver&) = delete;
    TimerDriver& operator=(const TimerDriver&) = delete;

    // After any change of the model timer: start, stop or re-anchor.
    void sync();
    // The real timer's expiry (public for tests that drive the clock themselves).
    void fire();

    bool armed() const { return qtimer_.isActive(); }
    TimePoint deadline() const { return deadline_; }

  private:
    void arm();
    std::chrono::milliseconds interval() const;

    controls::Timer& timer_;
    ErrorReporter report_;
    Now now_;
    QTimer qtimer_;
    TimePoint deadline_{};
    unsigned serial_ = 0;
    bool anchored_ = false;
    bool inTick_ = false;
};

}  // namespace tw::qt_platform
