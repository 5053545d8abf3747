#pragma once

#include "runtime/date_value.h"

namespace tw {

class Clock {
  public:
    virtual ~Clock() = default;
    // The present local date and time.
    virtual LocalDateTime now() const = 0;
    // Seconds on a clock that never jumps; it may stop while the machine sleeps.
    virtual double monotonicSeconds() const = 0;
    // Seconds on a clock that keeps counting through suspend and hibernation.
    virtual double bootSeconds() const = 0;
};

}  // namespace tw
