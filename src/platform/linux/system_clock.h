#pragma once

// The clock service on Linux: the local time the schedule is set in, a monotonic clock for
// intervals, and CLOCK_BOOTTIME, which runs on through suspend, so that a countdown is credited
// with the time the machine slept.

#include "platform/services/clock.h"

namespace tw::linux_platform {

class LinuxClock : public Clock {
  public:
    LocalDateTime now() const override;
    double monotonicSeconds() const override;
    double bootSeconds() const override;
};

}  // namespace tw::linux_platform
