#include "platform/win32/win32_timer_driver.h"

#include <algorithm>
#include <unordered_map>

namespace tw::win32_platform {

using std::chrono::milliseconds;

namespace {

// Thread timers carry only their id back: which driver each belongs to. The user-interface
// thread is the only one that touches it.
std::unordered_map<UINT_PTR, TimerDriver*>& drivers() {
    static std::unordered_map<UINT_PTR, TimerDriver*> map;
    return map;
}

}  // namespace

TimerDriver::TimerDriver(controls::Timer& timer, ErrorReporter report, Now now)
    : timer_(timer), report_(std::move(report)), now_(std::move(now)) {
    if (!now_) now_ = [] { return std::chrono::steady_clock::now(); };
    sync();
}

TimerDriver::~TimerDriver() {
    disarm();
}

milliseconds TimerDriver::interval() const {
    return milliseconds(timer_.interval());
}

void TimerDriver::sync() {
    if (!timer_.running()) {
        disarm();
        anchored_ = false;
        return;
    }
    // Deadlines count from the moment the timer was (re)started or its interval set.
    if (!anchored_ || serial_ != timer_.serial()) {
        deadline_ = now_() + interval();
        serial_ = timer_.serial();
        anchored_ = true;
    }
    if (!inTick_) arm();
}

void TimerDriver::arm() {
    disarm();
    const auto wait = std::chrono::ceil<milliseconds>(deadline_ - now_());
    const auto ms =
        static_cast<UINT>(std::max<milliseconds::rep>(USER_TIMER_MINIMUM, wait.count()));
    systemTimer_ = SetTimer(nullptr, 0, ms, &TimerDriver::timerProc);
    if (systemTimer_ != 0) drivers()[systemTimer_] = this;
}

void TimerDriver::disarm() {
    if (systemTimer_ == 0) return;
    KillTimer(nullptr, systemTimer_);
    drivers().erase(systemTimer_);
    systemTimer_ = 0;
}

void CALLBACK TimerDriver::timerProc(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = drivers().find(id);
    if (found == drivers().end()) {
        // A timer killed after its message was queued.
        KillTimer(nullptr, id);
        return;
    }
    found->second->fire();
}

void TimerDriver::fire() {
    // Each expiry is armed on its own: a system timer would repeat on its own schedule.
    disarm();
    // A tick does not nest inside another: the tick processes events.
    if (inTick_ || !timer_.running()) return;
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

}  // namespace tw::win32_platform
