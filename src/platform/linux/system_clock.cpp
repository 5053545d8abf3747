#include "platform/linux/system_clock.h"

#include <ctime>

namespace tw::linux_platform {

namespace {

double seconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

LocalDateTime LinuxClock::now() const {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

double LinuxClock::monotonicSeconds() const {
    return seconds(CLOCK_MONOTONIC);
}

// Unlike the monotonic clock, the boot-time clock goes on counting while the machine sleeps.
double LinuxClock::bootSeconds() const {
    return seconds(CLOCK_BOOTTIME);
}

}  // namespace tw::linux_platform
