#pragma once

#include <cstdint>
#include <optional>

namespace tw {

struct CivilDate {
    int year = 1899;
    int month = 12;
    int day = 30;
    bool operator==(const CivilDate&) const = default;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const TimeOfDay&) const = default;
};

// A local wall-clock moment with one-second resolution.
struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// A date-time as the window designer's controls hold it: an optional date part and an
// optional time part. A value with only a date shows no time at all, one with only a time
// shows no date.
struct DateValue {
    std::optional<CivilDate> date;
    std::optional<TimeOfDay> time;
    bool operator==(const DateValue&) const = default;
};

}  // namespace tw
