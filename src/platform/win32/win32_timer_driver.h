#pragma once

// Drives a model timer with a system timer (SetTimer): a tick every interval while the model
// timer runs, on the deadlines of its TickSchedule.

#include "platform/win32/win32_api.h"

#include "platform/controls/controls.h"
#include "platform/shared/error_reporter.h"
#include "platform/shared/tick_schedule.h"

namespace tw::win32_platform {

class TimerDriver {
  public:
    using TimePoint = TickSchedule::TimePoint;
    using Now = TickSchedule::Now;

    explicit TimerDriver(controls::Timer& timer, ErrorReporter report = {}, Now now = {});
    ~TimerDriver();
    TimerDriver(const TimerDriver&) = delete;
    TimerDriver& operator=(const TimerDriver&) = delete;

    // After any change of the model timer: start, stop or re-anchor.
    void sync();
    // The system timer's expiry (public for tests that drive the clock themselves).
    void fire();

    bool armed() const { return systemTimer_ != 0; }
    TimePoint deadline() const { return schedule_.deadline(); }

  private:
    static void CALLBACK timerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
    void arm(std::chrono::milliseconds wait);
    void disarm();

    controls::Timer& timer_;
    ErrorReporter report_;
    Now now_;
    UINT_PTR systemTimer_ = 0;
    TickSchedule schedule_;
};

}  // namespace tw::win32_platform
