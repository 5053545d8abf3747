#include "platform/linux/empty_start.h"

#include <algorithm>
#include <utility>

namespace tw::linux_platform {

namespace {

constexpr std::int64_t kSecond = 1000000000;
// Stamps are held to within about 146 years of 1970, so that a sum of two can't overflow: one
// further away is as far as that.
constexpr std::int64_t kFarthest = std::int64_t{1} << 62;
// How far apart the readings of two clocks taken one after the other may lie (ns).
constexpr std::int64_t kMeasuringError = 1000000;

std::int64_t read(clockid_t clock) {
    struct timespec t;
    ::clock_gettime(clock, &t);
    return nanoseconds(t);
}

// The coarsest step of a file system's clock that `stamp` may have been cut to.
std::int64_t stepOf(std::int64_t stamp) {
    if (stamp % (2 * kSecond) == 0) return 2 * kSecond;
    std::int64_t step = kSecond;
    while (step > 1 && stamp % step != 0) step /= 10;
    return step;
}

}  // namespace

std::int64_t nanoseconds(const struct timespec& t) {
    if (t.tv_sec >= kFarthest / kSecond) return kFarthest;
    if (t.tv_sec <= -kFarthest / kSecond) return -kFarthest;
    return static_cast<std::int64_t>(t.tv_sec) * kSecond + t.tv_nsec;
}

EmptyStart EmptyStart::now(ClockStep step) {
    EmptyStart start;
    start.step_ = std::move(step);
    start.real_ = start.realTime(CLOCK_REALTIME_COARSE);
    start.precise_ = start.realTime(CLOCK_REALTIME);
    start.elapsed_ = read(CLOCK_BOOTTIME);
    return start;
}

std::int64_t EmptyStart::realTime(clockid_t clock) const {
    return read(clock) + (step_ ? step_() : 0);
}

bool EmptyStart::changedSince(const struct timespec& stamp) const {
    const std::int64_t t = nanoseconds(stamp);
    const std::int64_t step = stepOf(t);
    const std::int64_t present = realTime(CLOCK_REALTIME);
    // How far the clock has been stepped since the start: the real time that passed less what
    // the boot-time clock saw pass.
    const std::int64_t stepped = (present - precise_) - (read(CLOCK_BOOTTIME) - elapsed_);
    // The start and the present on either side of such a step. A step is measured from
    // readings of two clocks a moment apart, so it is off by about as much: the start is then
    // put that much earlier, so that a change in the tick the empty began in still counts.
    const std::int64_t since =
        real_ + (stepped < -kMeasuringError ? stepped - kMeasuringError
                                            : std::min<std::int64_t>(stepped, 0));
    const std::int64_t until = present + std::max<std::int64_t>(-stepped, 0);
    // A stamp rounded rather than cut may lie one step ahead.
    return t + step > since && t - step <= until;
}

bool EmptyStart::deletedAtLeast(std::int64_t deleted, std::int64_t seconds) const {
    // Both moments lie within kFarthest of 1970, so the difference can't overflow; a floor
    // longer than that keeps everything.
    if (seconds >= kFarthest / kSecond) return false;
    return precise_ - deleted >= std::max<std::int64_t>(seconds, 0) * kSecond;
}

}  // namespace tw::linux_platform
