#include "platform/linux/deletion_date.h"

#include <time.h>

#include <algorithm>

namespace tw::linux_platform {

namespace {

constexpr std::int64_t kSecond = 1000000000;
constexpr std::int64_t kFarthest = std::int64_t{1} << 62;  // ns; as the empty's own stamps

struct Reader {
    std::string_view text;
    std::size_t at = 0;

    bool done() const { return at == text.size(); }
    bool take(char c) {
        if (done() || text[at] != c) return false;
        ++at;
        return true;
    }
    // Exactly `digits` decimal digits.
    bool number(int digits, int& out) {
        out = 0;
        for (int i = 0; i < digits; ++i, ++at) {
            if (done() || text[at] < '0' || text[at] > '9') return false;
            out = out * 10 + (text[at] - '0');
        }
        return true;
    }
};

bool leapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : kDays[m - 1];
}

// Days from 1970-01-01 to the date in the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

long offsetAt(time_t t) {
    struct tm tm;
    return ::localtime_r(&t, &tm) ? tm.tm_gmtoff : 0;
}

// The moment that the local wall-clock time `wall` (its fields counted as if in UTC) names.
// The offsets from UTC in force within a day of it are the ones it may have been written under;
// a reading is real when the zone has that offset at that moment.
std::int64_t localMoment(std::int64_t wall) {
    std::optional<std::int64_t> latestReal;
    std::int64_t latest = 0;
    long tried[3];
    int count = 0;
    for (std::int64_t probe : {wall, wall - 86400, wall + 86400}) {
        const long offset = offsetAt(static_cast<time_t>(probe));
        if (std::find(tried, tried + count, offset) != tried + count) continue;
        tried[count++] = offset;
        const std::int64_t reading = wall - offset;
        if (offsetAt(static_cast<time_t>(reading)) == offset) {
            latestReal = std::max(latestReal.value_or(reading), reading);
        }
        latest = count == 1 ? reading : std::max(latest, reading);
    }
    // None is real in a gap where clocks were set forward: the latest of them.
    return latestReal.value_or(latest);
}

}  // namespace

std::optional<std::int64_t> parseDeletionDate(std::string_view text) {
    Reader r{text};
    int year, month, day, hour, minute, second;
    if (!r.number(4, year)) return std::nullopt;
    const bool extended = r.take('-');
    if (!r.number(2, month) || (extended && !r.take('-')) || !r.number(2, day)) {
        return std::nullopt;
    }
    if (!r.take('T') || !r.number(2, hour)) return std::nullopt;
    const bool colons = r.take(':');
    if (!r.number(2, minute) || (colons && !r.take(':')) || !r.number(2, second)) {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59) {
        return std::nullopt;
    }
    std::int64_t nanoseconds = 0;
    if (r.take('.') || r.take(',')) {
        std::int64_t scale = kSecond;
        const std::size_t first = r.at;
        for (; !r.done() && r.text[r.at] >= '0' && r.text[r.at] <= '9'; ++r.at) {
            if (scale > 1) {
                scale /= 10;
                nanoseconds += (r.text[r.at] - '0') * scale;
            }
        }
        if (r.at == first) return std::nullopt;
    }
    const std::int64_t wallSeconds =
        daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;

    std::int64_t seconds;
    if (r.done()) {
        seconds = localMoment(wallSeconds);
    } else if (r.take('Z')) {
        seconds = wallSeconds;
    } else {
        const int sign = r.take('+') ? 1 : r.take('-') ? -1 : 0;
        int offsetHours = 0, offsetMinutes = 0;
        if (sign == 0 || !r.number(2, offsetHours)) return std::nullopt;
        if (!r.done()) {
            r.take(':');
            if (!r.number(2, offsetMinutes)) return std::nullopt;
        }
        if (offsetHours > 23 || offsetMinutes > 59) return std::nullopt;
        seconds = wallSeconds - sign * (offsetHours * 3600 + offsetMinutes * 60);
    }
    if (!r.done()) return std::nullopt;
    if (seconds >= kFarthest / kSecond) return kFarthest;
    if (seconds <= -kFarthest / kSecond) return -kFarthest;
    return seconds * kSecond + nanoseconds;
}

}  // namespace tw::linux_platform
