#include "platform/linux/locale_formats.h"

#include <langinfo.h>
#include <time.h>

#include <clocale>
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

std::string format(const std::string& fmt, const std::tm& tm, locale_t locale) {
    char buffer[128];
    const std::size_t n = strftime_l(buffer, sizeof buffer, fmt.c_str(), &tm, locale);
    return std::string(buffer, n);
}

const char* skipBlanks(const char* p) {
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

// Parses all of `text` with `fmt`; blanks around it are allowed.
bool parseWhole(const std::string& text, const std::string& fmt, std::tm& tm, locale_t locale) {
    const char* end = strptime_l(skipBlanks(text.c_str()), fmt.c_str(), &tm, locale);
    return end && *skipBlanks(end) == '\0';
}

bool validTime(const std::tm& tm) {
    return tm.tm_hour >= 0 && tm.tm_hour < 24 && tm.tm_min >= 0 && tm.tm_min < 60 &&
           tm.tm_sec >= 0 && tm.tm_sec < 60;
}

locale_t openLocale(const char* name) {
    return newlocale(LC_TIME_MASK | LC_NUMERIC_MASK, name, locale_t(0));
}

}  // namespace

LinuxLocale::LinuxLocale(Handle locale) : locale_(std::move(locale)) {
    locale_t l = locale_.get();
    dateFormat_ = orDefault(nl_langinfo_l(D_FMT, l), "%m/%d/%Y");
    timeFormat_ = withSeconds(orDefault(nl_langinfo_l(T_FMT, l), "%H:%M:%S"));
    decimalSeparator_ = orDefault(nl_langinfo_l(RADIXCHAR, l), ".");
    dayHalves_ = {orDefault(nl_langinfo_l(AM_STR, l), ""), orDefault(nl_langinfo_l(PM_STR, l), "")};
}

LinuxLocale::LinuxLocale() : LinuxLocale(named("").value_or(*named("C"))) {
    // Qt and the rest of the program expect the C number format for their own conversions.
    std::setlocale(LC_NUMERIC, "C");
}

std::optional<LinuxLocale> LinuxLocale::named(const std::string& name) {
    locale_t locale = openLocale(name.c_str());
    if (!locale) return std::nullopt;
    return LinuxLocale(Handle(locale, freelocale));
}

LinuxLocale::LinuxLocale(std::string dateFormat, std::string timeFormat,
                         std::string decimalSeparator)
    : locale_(openLocale("C"), freelocale),
      dateFormat_(std::move(dateFormat)),
      timeFormat_(withSeconds(std::move(timeFormat))),
      decimalSeparator_(std::move(decimalSeparator)) {}

std::string LinuxLocale::formatDate(const CivilDate& date) const {
    return format(dateFormat_, toTm(date, {}), locale_.get());
}

std::string LinuxLocale::formatTime(const TimeOfDay& time) const {
    return format(timeFormat_, toTm({}, time), locale_.get());
}

std::optional<TimeOfDay> LinuxLocale::readTime(const std::string& text) const {
    // The user's own format first (it may hold words of its own language), then every form
    // that another locale or a hand may have written.
    std::tm tm{};
    if (parseWhole(text, timeFormat_, tm, locale_.get()) && validTime(tm)) {
        return TimeOfDay{tm.tm_hour, tm.tm_min, tm.tm_sec};
    }
    return ReadTimeOfDay(text, dayHalves_);
}

std::optional<DateValue> LinuxLocale::parseDateTime(const std::string& text) const {
    if (const auto time = readTime(text)) return DateValue{std::nullopt, time};
    // A date in the user's format, then nothing or a time.
    std::tm tm{};
    const char* rest =
        strptime_l(skipBlanks(text.c_str()), dateFormat_.c_str(), &tm, locale_.get());
    if (!rest) return std::nullopt;
    const CivilDate date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
    rest = skipBlanks(rest);
    if (*rest == '\0') return DateValue{date, std::nullopt};
    if (const auto time = readTime(rest)) return DateValue{date, time};
    return std::nullopt;
}

}  // namespace tw::linux_platform
