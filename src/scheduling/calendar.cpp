#include "scheduling/calendar.h"

namespace tw {

// Howard Hinnant's days-from-civil algorithm, proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day) {
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

int Weekday(const CivilDate& date) {
    // 1970-01-01 was a Thursday (5).
    const std::int64_t days = DaysFromCivil(date.year, date.month, date.day);
    return static_cast<int>(((days % 7) + 7 + 4) % 7) + 1;
}

std::int64_t CalendarSeconds(const CivilDate& date, const TimeOfDay& time) {
    return DaysFromCivil(date.year, date.month, date.day) * 86400 + time.hour * 3600 +
           time.minute * 60 + time.second;
}

CivilDate AddDays(const CivilDate& date, std::int64_t days) {
    return CivilFromDays(DaysFromCivil(date.year, date.month, date.day) + days);
}

}  // namespace tw
