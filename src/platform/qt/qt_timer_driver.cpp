#include "platform/qt/qt_timer_driver.h"

#include <algorithm>

#include "platform/qt/qt_handler_gate.h"

namespace tw::qt_platform {

using std::chrono::milliseconds;

TimerDriver::TimerDriver(controls::Timer& timer, ErrorReporter report, Now now)
    : timer_(timer), report_(std::move(report)), now_(std::move(now)) {
    if (!now_) now_ = [] { return std::chrono::steady_clock::now(); };
    qtimer_.setSingleShot(true);
    qtimer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&qtimer_, &QTimer::timeout, [this] { fire(); });
    sync();
}

milliseconds TimerDriver::interval() const {
    return milliseconds(timer_.interval());
}

void TimerDriver::sync() {
    if (!timer_.running()) {
        qtimer_.stop();
        anchored_ = false;
        return;
    }
    // Deadlines count from the moment the timer was (re)started or its interval set, so that
    // a long countdown does not drift by the time each tick takes.
    if (!anchored_ || serial_ != timer_.serial()) {
        deadline_ = now_() + interval();
        serial_ = timer_.serial();
        anchored_ = true;
    }
    if (!inTick_) arm();
}

void TimerDriver::arm() {
    const auto wait = std::chrono::ceil<milliseconds>(deadline_ - now_());
    qtimer_.start(static_cast<int>(std::max<milliseconds::rep>(0, wait.count())));
}

void TimerDriver::fire() {
    // A tick does not nest inside another: the tick processes events.
    if (inTick_ || !timer_.running()) return;
    if (handlersHeld()) {
        runHandler(&qtimer_, [this] { fire(); });
        return;
    }
    deadline_ += interval();
    const TimePoint now = now_();
    // Far behind (a stalled machine, a long empty): one tick now and none to catch up; the
    // countdown credits the seconds that really passed.
    if (deadline_ <= now) deadline_ = now + interval();
    inTick_ = true;
    guarded(report_, [this] { timer_.tick(); });
    inTick_ = false;
    sync();
}

}  // namespace tw::qt_platform
