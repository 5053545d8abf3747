#include "fakes/fake_locale.h"

#include <cstdio>
#include <stdexcept>

namespace tw::test {

namespace {

struct Fields {
    int year = -1, month = -1, day = -1, hour = -1, minute = -1, second = -1;
};

int* field(Fields& f, char directive) {
    switch (directive) {
        case 'Y':
            return &f.year;
        case 'm':
            return &f.month;
        case 'd':
            return &f.day;
        case 'H':
            return &f.hour;
        case 'M':
            return &f.minute;
        case 'S':
            return &f.second;
    }
    throw std::invalid_argument(std::string("FakeLocale: no %") + directive);
}

std::string format(const std::string& fmt, Fields f) {
    std::string out;
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%' || i + 1 == fmt.size()) {
            out += fmt[i];
            continue;
        }
        const char directive = fmt[++i];
        char digits[16];
        std::snprintf(digits, sizeof digits, directive == 'Y' ? "%04d" : "%02d",
                      *field(f, directive));
        out += digits;
    }
    return out;
}

// Reads all of `text` with `fmt`: each directive takes one to four digits (two for all but
// the year), everything else must match as written.
bool parse(const std::string& text, const std::string& fmt, Fields& f) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%' || i + 1 == fmt.size()) {
            if (at >= text.size() || text[at++] != fmt[i]) return false;
            continue;
        }
        const char directive = fmt[++i];
        const std::size_t most = directive == 'Y' ? 4 : 2;
        int value = 0;
        std::size_t n = 0;
        for (; n < most && at < text.size() && text[at] >= '0' && text[at] <= '9'; ++n) {
            value = value * 10 + (text[at++] - '0');
        }
        if (n == 0) return false;
        *field(f, directive) = value;
    }
    return at == text.size();
}

bool validDate(const Fields& f) {
    return f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= 31;
}
bool validTime(const Fields& f) {
    return f.hour >= 0 && f.hour < 24 && f.minute >= 0 && f.minute < 60 && f.second < 60;
}
CivilDate dateOf(const Fields& f) {
    return {f.year, f.month, f.day};
}
TimeOfDay timeOf(const Fields& f) {
    return {f.hour, f.minute, f.second < 0 ? 0 : f.second};
}

}  // namespace

std::string FakeLocale::formatDate(const CivilDate& date) const {
    Fields f;
    f.year = date.year, f.month = date.month, f.day = date.day;
    return format(dateFormat_, f);
}

std::string FakeLocale::formatTime(const TimeOfDay& time) const {
    Fields f;
    f.hour = time.hour, f.minute = time.minute, f.second = time.second;
    return format(timeFormat_, f);
}

std::optional<DateValue> FakeLocale::parseDateTime(const std::string& text) const {
    for (const std::string& timeFormat :
         {timeFormat_, std::string("%H:%M:%S"), std::string("%H:%M")}) {
        Fields f;
        if (parse(text, dateFormat_ + " " + timeFormat, f) && validDate(f) && validTime(f)) {
            return DateValue{dateOf(f), timeOf(f)};
        }
        f = {};
        if (parse(text, timeFormat, f) && validTime(f)) return DateValue{std::nullopt, timeOf(f)};
    }
    Fields f;
    if (parse(text, dateFormat_, f) && validDate(f)) return DateValue{dateOf(f), std::nullopt};
    return std::nullopt;
}

}  // namespace tw::test
