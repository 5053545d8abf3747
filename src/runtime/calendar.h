#pragma once

#include <cstdint>

#include "runtime/date_value.h"

namespace tw {

// Plain calendar arithmetic on local wall-clock date-times: every day counts 86400 seconds,
// whatever daylight-saving time does in between.
std::int64_t DaysFromCivil(int year, int month, int day);
CivilDate CivilFromDays(std::int64_t days);
// Weekday of a date: Sunday = 1 ... Saturday = 7.
int Weekday(const CivilDate& date);
// Seconds since 1970-01-01 00:00:00 on the calendar (not on any clock).
std::int64_t CalendarSeconds(const CivilDate& date, const TimeOfDay& time);
inline CivilDate DateOf(const LocalDateTime& t) {
    return {t.year, t.month, t.day};
}
inline TimeOfDay TimeOf(const LocalDateTime& t) {
    return {t.hour, t.minute, t.second};
}
CivilDate AddDays(const CivilDate& date, std::int64_t days);

}  // namespace tw
