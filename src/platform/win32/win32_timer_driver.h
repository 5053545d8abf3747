#pragma once

// Drives a model timer with a system timer (SetTimer): a tick every interval while the model
// timer runs. Deadlines are absolute, so a long countdown does not drift by the time each
// tick takes, and a tick never runs inside another (a tick processes events).

#include "platform/win32/win32_api.h"

#include <chrono>
#include <functional>

#include "platform/controls.h"
#include "platform/error_reporter.h"

namespace tw::win32_platform {

class TimerDriver {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Now = std::function<TimePoint()>;

    explicit TimerDriver(controls::Timer& timer, ErrorReporter report = {}, Now now = {});
    ~TimerDriver();
    TimerDriver(const TimerDriver&) = delete;
    TimerDriver& operator=(const TimerDriver&) = delete;

    // After any change of the model timer: start, stop or re-anchor.
    void sync();
    // The system timer's expiry (public for tests that drive the clock themselves).
    void fire();

    bool armed() const { return systemTimer_ != 0; }
    TimePoint deadline() const { return deadline_; }

  private:
    static void CALLBACK timerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
    void arm();
    void disarm();
    std::chrono::milliseconds interval() const;

    controls::Timer& timer_;
    ErrorReporter report_;
    Now now_;
    UINT_PTR systemTimer_ = 0;
    TimePoint deadline_{};
    unsigned serial_ = 0;
    bool anchored_ = false;
    bool inTick_ = false;
};

}  // namespace tw::win32_platform
