#include "runtime/calendar.h"

#include <chrono>

namespace tw {

namespace {

using std::chrono::sys_days;

// Months and days past their range count on into the next ones, so any numbers give a day.
sys_days toDays(int year, int month, int day) {
    const auto ym = std::chrono::year{year} / std::chrono::January + std::chrono::months{month - 1};
    return sys_days{ym / 1} + std::chrono::days{day - 1};
}

}  // namespace

std::int64_t DaysFromCivil(int year, int month, int day) {
    return toDays(year, month, day).time_since_epoch().count();
}

CivilDate CivilFromDays(std::int64_t days) {
    const std::chrono::year_month_day ymd{sys_days{std::chrono::days(days)}};
    return {int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
}

int Weekday(const CivilDate& date) {
    const std::chrono::weekday day{toDays(date.year, date.month, date.day)};
    return static_cast<int>(day.c_encoding()) + 1;
}

std::int64_t CalendarSeconds(const CivilDate& date, const TimeOfDay& time) {
    return DaysFromCivil(date.year, date.month, date.day) * 86400 + time.hour * 3600 +
           time.minute * 60 + time.second;
}

CivilDate AddDays(const CivilDate& date, std::int64_t days) {
    return CivilFromDays(DaysFromCivil(date.year, date.month, date.day) + days);
}

}  // namespace tw
