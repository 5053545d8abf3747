#include "platform/win32/win32_locale.h"

#include <vector>

#include "platform/win32/win32_text.h"

namespace tw::win32_platform {

namespace {

SYSTEMTIME systemTime(const CivilDate& date, const TimeOfDay& time) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(date.year);
    t.wMonth = static_cast<WORD>(date.month);
    t.wDay = static_cast<WORD>(date.day);
    t.wHour = static_cast<WORD>(time.hour);
    t.wMinute = static_cast<WORD>(time.minute);
    t.wSecond = static_cast<WORD>(time.second);
    return t;
}

}  // namespace

Win32Locale::Win32Locale(LCID locale) : locale_(locale) {
    timePicture_ = info(LOCALE_STIMEFORMAT, "HH:mm:ss");
    if (!pictureHasSeconds(timePicture_)) timePicture_ = "HH:mm:ss";
    datePicture_ = info(LOCALE_SSHORTDATE, "M/d/yyyy");
    decimalSeparator_ = info(LOCALE_SDECIMAL, ".");
    names_.am = info(LOCALE_S1159, "AM");
    names_.pm = info(LOCALE_S2359, "PM");
    for (LCTYPE m = 0; m < 12; ++m) {
        names_.months[m] = info(LOCALE_SMONTHNAME1 + m, "");
        names_.abbreviatedMonths[m] = info(LOCALE_SABBREVMONTHNAME1 + m, "");
    }
    for (LCTYPE d = 0; d < 7; ++d) {
        names_.days[d] = info(LOCALE_SDAYNAME1 + d, "");
        names_.abbreviatedDays[d] = info(LOCALE_SABBREVDAYNAME1 + d, "");
    }
}

std::string Win32Locale::info(LCTYPE type, const char* fallback) const {
    const LCTYPE request = type | LOCALE_USE_CP_ACP;
    const int n = GetLocaleInfoA(locale_, request, nullptr, 0);
    if (n <= 1) return fallback;
    std::vector<char> buffer(static_cast<std::size_t>(n));
    if (GetLocaleInfoA(locale_, request, buffer.data(), n) <= 1) return fallback;
    return fromAnsi(buffer.data());
}

std::string Win32Locale::formatDate(const CivilDate& date) const {
    const SYSTEMTIME t = systemTime(date, {});
    const std::string picture = toAnsi(datePicture_);
    char buffer[128];
    const int n =
        GetDateFormatA(locale_, LOCALE_USE_CP_ACP, &t, picture.c_str(), buffer, sizeof buffer);
    return n > 0 ? fromAnsi(buffer) : std::string();
}

std::string Win32Locale::formatTime(const TimeOfDay& time) const {
    const SYSTEMTIME t = systemTime({2000, 1, 1}, time);
    const std::string picture = toAnsi(timePicture_);
    char buffer[128];
    const int n =
        GetTimeFormatA(locale_, LOCALE_USE_CP_ACP, &t, picture.c_str(), buffer, sizeof buffer);
    return n > 0 ? fromAnsi(buffer) : std::string();
}

std::optional<DateValue> Win32Locale::parseDateTime(const std::string& text) const {
    const std::string timePictures[] = {timePicture_, "HH:mm:ss", "h:mm:ss tt", "HH:mm", "h:mm tt"};
    const auto date = [](const PictureFields& f) { return CivilDate{*f.year, *f.month, *f.day}; };
    const auto timeOf = [](const PictureFields& f) {
        return TimeOfDay{*f.hour, f.minute.value_or(0), f.second.value_or(0)};
    };
    const auto complete = [](const PictureFields& f, bool wantDate) {
        const bool hasDate = f.year && f.month && f.day;
        return f.hour && (!wantDate || hasDate);
    };
    for (const std::string& timePicture : timePictures) {
        if (auto f = readPicture(text, datePicture_ + " " + timePicture, names_);
            f && complete(*f, true)) {
            return DateValue{date(*f), timeOf(*f)};
        }
        if (auto f = readPicture(text, timePicture, names_); f && complete(*f, false)) {
            return DateValue{std::nullopt, timeOf(*f)};
        }
    }
    if (auto f = readPicture(text, datePicture_, names_); f && f->year && f->month && f->day) {
        return DateValue{date(*f), std::nullopt};
    }
    return std::nullopt;
}

}  // namespace tw::win32_platform
