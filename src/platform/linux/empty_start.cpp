#include "platform/linux/empty_start.h"

#include <algorithm>
#include <utility>

namespace tw::linux_platform {

namespace {

constexpr std::int64_t kSecond = 1000000000;
// Stamps are held to within about 146 years of 1970, so that a sum of two can't overflow: one
// further away is as far as that.
constexpr std::int64_t kFarthest = std::int64_t{1} << 62;
// How far apart readings of two clocks taken one after the other lie at most once a slow
// reading is taken again (ns).
constexpr std::int64_t kQuickRead = 50000;

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
    const Moment m = start.moment();
    start.precise_ = m.real;
    start.elapsed_ = m.elapsed;
    return start;
}

std::int64_t EmptyStart::realTime(clockid_t clock) const {
    return read(clock) + (step_ ? step_() : 0);
}

// Read one after the other, two clocks lie as far apart as the thread was kept from running in
// between (milliseconds on a busy machine), which would pass for a clock step: the boot-time
// clock is read on either side of the real-time clock, and all three again where that took long.
EmptyStart::Moment EmptyStart::moment() const {
    Moment best;
    std::int64_t bestSpan = kFarthest;
    for (int attempt = 0; attempt < 5 && bestSpan > kQuickRead; ++attempt) {
        const std::int64_t before = read(CLOCK_BOOTTIME);
        const std::int64_t real = realTime(CLOCK_REALTIME);
        const std::int64_t span = read(CLOCK_BOOTTIME) - before;
        if (span < bestSpan) {
            bestSpan = span;
            best = {real, before + span / 2};
        }
    }
    return best;
}

bool EmptyStart::changedSince(const struct timespec& stamp) const {
    const std::int64_t t = nanoseconds(stamp);
    const std::int64_t step = stepOf(t);
    const Moment now = moment();
    const std::int64_t present = now.real;
    // How far the clock has been stepped since the start: the real time that passed less what
    // the boot-time clock saw pass.
    const std::int64_t stepped = (present - precise_) - (now.elapsed - elapsed_);
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
