#include "platform/linux/linux_locale.h"

#include <langinfo.h>

#include <clocale>
#include <cstring>
#include <ctime>

namespace tw::linux_platform {

namespace {

// A time format must show seconds: the stored daily time is read back from it.
std::string withSeconds(std::string format) {
    for (const char* s : {"%S", "%T", "%r", "%X"}) {
        if (format.find(s) != std::string::npos) return format;
    }
    return "%H:%M:%S";
}

std::string orDefault(const char* value, const char* fallback) {
    return value && *value ? std::string(value) : std::string(fallback);
}

std::tm toTm(const CivilDate& d, const TimeOfDay& t) {
    std::tm tm{};
    tm.tm_year = d.year - 1900;
    tm.tm_mon = d.month - 1;
    tm.tm_mday = d.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return tm;
}

std::string format(const std::string& fmt, const std::tm& tm) {
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, fmt.c_str(), &tm);
    return std::string(buffer, n);
}

// Parses all of `text` with `fmt`; trailing blanks are allowed.
bool parseWhole(const std::string& text, const std::string& fmt, std::tm& tm) {
    const char* end = strptime(text.c_str(), fmt.c_str(), &tm);
    if (!end) return false;
    while (*end == ' ') ++end;
    return *end == '\0';
}

bool validTime(const std::tm& tm) {
    return tm.tm_hour >= 0 && tm.tm_hour < 24 && tm.tm_min >= 0 && tm.tm_min < 60 &&
           tm.tm_sec >= 0 && tm.tm_sec < 60;
}

}  // namespace

LinuxLocale::LinuxLocale() {
    std::setlocale(LC_TIME, "");
    std::setlocale(LC_NUMERIC, "");
    dateFormat_ = orDefault(nl_langinfo(D_FMT), "%m/%d/%Y");
    timeFormat_ = withSeconds(orDefault(nl_langinfo(T_FMT), "%H:%M:%S"));
    decimalSeparator_ = orDefault(nl_langinfo(RADIXCHAR), ".");
    // Qt and the rest of the program expect the C number format for their own conversions.
    std::setlocale(LC_NUMERIC, "C");
}

LinuxLocale::LinuxLocale(std::string dateFormat, std::string timeFormat,
                         std::string decimalSeparator)
    : dateFormat_(std::move(dateFormat)),
      timeFormat_(withSeconds(std::move(timeFormat))),
      decimalSeparator_(std::move(decimalSeparator)) {}

std::string LinuxLocale::formatDate(const CivilDate& date) const {
    return format(dateFormat_, toTm(date, {}));
}

std::string LinuxLocale::formatTime(const TimeOfDay& time) const {
    return format(timeFormat_, toTm({}, time));
}

std::optional<DateValue> LinuxLocale::parseDateTime(const std::string& text) const {
    // The user's own format first; then the common 24- and 12-hour forms, so that a time
    // stored under another locale, or typed by hand without seconds, still reads back.
    const std::string timeFormats[] = {timeFormat_, "%H:%M:%S", "%I:%M:%S %p", "%H:%M", "%I:%M %p"};
    for (const std::string& timeFormat : timeFormats) {
        std::tm tm{};
        if (parseWhole(text, dateFormat_ + " " + timeFormat, tm) && validTime(tm)) {
            return DateValue{CivilDate{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday},
                             TimeOfDay{tm.tm_hour, tm.tm_min, tm.tm_sec}};
        }
        tm = {};
        if (parseWhole(text, timeFormat, tm) && validTime(tm)) {
            return DateValue{std::nullopt, TimeOfDay{tm.tm_hour, tm.tm_min, tm.tm_sec}};
        }
    }
    std::tm tm{};
    if (parseWhole(text, dateFormat_, tm)) {
        return DateValue{CivilDate{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday}, std::nullopt};
    }
    return std::nullopt;
}

}  // namespace tw::linux_platform
