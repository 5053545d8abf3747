#include "platform/win32/win32_timer_driver.h"

#include <algorithm>
#include <unordered_map>

#include "platform/win32/win32_handler_gate.h"

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
    handlerGate().drop(this);
}

void TimerDriver::sync() {
    const auto wait = schedule_.follow(timer_, now_);
    disarm();
    if (wait) arm(*wait);
}

void TimerDriver::arm(milliseconds wait) {
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
    if (!schedule_.due(timer_)) return;
    // A tick waits, as every handler does, while an empty holds them.
    if (handlerGate().held()) {
        handlerGate().run(this, [this] { fire(); });
        return;
    }
    schedule_.tick(timer_, report_, now_());
    sync();
}

}  // namespace tw::win32_platform
