#include "platform/shared/tick_schedule.h"

#include <algorithm>

namespace tw {

using std::chrono::milliseconds;

std::optional<milliseconds> TickSchedule::follow(const controls::Timer& timer, const Now& now) {
    if (!timer.running()) {
        anchored_ = false;
        return std::nullopt;
    }
    if (!anchored_ || serial_ != timer.serial()) {
        deadline_ = now() + milliseconds(timer.interval());
        serial_ = timer.serial();
        anchored_ = true;
    }
    if (timer.ticking()) return std::nullopt;
    const auto wait = std::chrono::ceil<milliseconds>(deadline_ - now());
    return std::max(milliseconds(0), wait);
}

void TickSchedule::tick(controls::Timer& timer, const ErrorReporter& report, TimePoint now) {
    const milliseconds interval(timer.interval());
    deadline_ += interval;
    // Far behind (a stalled machine, a long empty): one tick now and none to catch up; the
    // countdown credits the seconds that really passed.
    if (deadline_ <= now) deadline_ = now + interval;
    guarded(report, [&] { timer.tick(); });
}

}  // namespace tw
