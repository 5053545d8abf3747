#pragma once

namespace tw {

// A local wall-clock moment with one-second resolution.
struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

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
