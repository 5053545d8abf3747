#include "platform/win32/win32_time_picture.h"

#include <cctype>

namespace tw::win32_platform {

namespace {

// One element of a picture: a run of the same letter ("hh", "MMMM"), a quoted literal or one
// literal character.
struct Element {
    char letter = 0;  // 0 for a literal
    std::size_t count = 0;
    std::string literal;
};

bool isPictureLetter(char c) {
    return c == 'h' || c == 'H' || c == 'm' || c == 's' || c == 't' || c == 'd' || c == 'M' ||
           c == 'y' || c == 'g';
}

// Splits a picture. Returns false for an unterminated quote.
bool nextElement(std::string_view picture, std::size_t& i, Element& element) {
    element = Element{};
    const char c = picture[i];
    if (isPictureLetter(c)) {
        element.letter = c;
        while (i < picture.size() && picture[i] == c) {
            ++element.count;
            ++i;
        }
        return true;
    }
    if (c == '\'') {
        ++i;
        for (;;) {
            if (i >= picture.size()) return false;
            if (picture[i] == '\'') {
                if (i + 1 < picture.size() && picture[i + 1] == '\'') {  // '' is one quote
                    element.literal += '\'';
                    i += 2;
                    continue;
                }
                ++i;
                return true;
            }
            element.literal += picture[i++];
        }
    }
    element.literal = std::string(1, c);
    ++i;
    return true;
}

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    // Blanks: ' ', and the no-break spaces some locales write between time and designator.
    bool skipBlanks() {
        bool any = false;
        for (;;) {
            if (pos_ < text_.size() && text_[pos_] == ' ') {
                ++pos_;
            } else if (text_.substr(pos_, 2) == "\xC2\xA0") {
                pos_ += 2;
            } else if (text_.substr(pos_, 3) == "\xE2\x80\xAF") {
                pos_ += 3;
            } else {
                return any;
            }
            any = true;
        }
    }

    void skipEraName() {
        while (pos_ < text_.size() &&
               (std::isalpha(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.')) {
            ++pos_;
        }
    }

    std::optional<int> number(std::size_t minDigits, std::size_t maxDigits) {
        std::size_t digits = 0;
        int value = 0;
        while (digits < maxDigits && pos_ < text_.size() &&
               std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
            value = value * 10 + (text_[pos_] - '0');
            ++pos_;
            ++digits;
        }
        if (digits < minDigits) return std::nullopt;
        return value;
    }

    bool literal(std::string_view expected) {
        if (expected == " ") return skipBlanks();
        if (text_.substr(pos_, expected.size()) != expected) return false;
        pos_ += expected.size();
        return true;
    }

    // The longest of `words` that the text continues with, letter case ignored.
    std::optional<std::size_t> word(const std::string* words, std::size_t count,
                                    std::size_t prefixLength = std::string::npos) {
        std::optional<std::size_t> best;
        std::size_t bestLength = 0;
        for (std::size_t w = 0; w < count; ++w) {
            const std::string_view candidate =
                std::string_view(words[w]).substr(0, std::min(prefixLength, words[w].size()));
            if (candidate.empty() || candidate.size() <= bestLength) continue;
            if (equalsIgnoringCase(text_.substr(pos_, candidate.size()), candidate)) {
                best = w;
                bestLength = candidate.size();
            }
        }
        if (best) pos_ += bestLength;
        return best;
    }

  private:
    static bool equalsIgnoringCase(std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(a[i])) !=
                std::tolower(static_cast<unsigned char>(b[i]))) {
                return false;
            }
        }
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

bool leapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

bool pictureHasSeconds(std::string_view picture) {
    std::size_t i = 0;
    Element element;
    while (i < picture.size()) {
        if (!nextElement(picture, i, element)) return false;
        if (element.letter == 's') return true;
    }
    return false;
}

std::optional<PictureFields> readPicture(std::string_view text, std::string_view picture,
                                         const PictureNames& names) {
    Reader reader(text);
    PictureFields fields;
    std::optional<int> hour12;
    std::optional<bool> afternoon;
    std::size_t i = 0;
    Element e;
    while (i < picture.size()) {
        if (!nextElement(picture, i, e)) return std::nullopt;
        switch (e.letter) {
            case 0:
                if (!reader.literal(e.literal)) return std::nullopt;
                break;
            case 'h':
                if (!(hour12 = reader.number(1, 2))) return std::nullopt;
                break;
            case 'H':
                if (!(fields.hour = reader.number(1, 2))) return std::nullopt;
                break;
            case 'm':
                if (!(fields.minute = reader.number(1, 2))) return std::nullopt;
                break;
            case 's':
                if (!(fields.second = reader.number(1, 2))) return std::nullopt;
                break;
            case 't': {
                const std::string designators[] = {names.am, names.pm, "AM", "PM"};
                const auto which =
                    reader.word(designators, 4, e.count == 1 ? 1 : std::string::npos);
                if (!which) return std::nullopt;
                afternoon = *which % 2 == 1;
                break;
            }
            case 'd':
                if (e.count <= 2) {
                    if (!(fields.day = reader.number(1, 2))) return std::nullopt;
                } else if (!reader.word(
                               e.count == 3 ? names.abbreviatedDays.data() : names.days.data(),
                               7)) {
                    return std::nullopt;
                }
                break;
            case 'M':
                if (e.count <= 2) {
                    if (!(fields.month = reader.number(1, 2))) return std::nullopt;
                } else {
                    const auto month = reader.word(
                        e.count == 3 ? names.abbreviatedMonths.data() : names.months.data(), 12);
                    if (!month) return std::nullopt;
                    fields.month = static_cast<int>(*month) + 1;
                }
                break;
            case 'y':
                if (e.count <= 2) {
                    const auto year = reader.number(e.count == 2 ? 2 : 1, 2);
                    if (!year) return std::nullopt;
                    fields.year = *year < 30 ? 2000 + *year : 1900 + *year;
                } else if (!(fields.year = reader.number(1, 5))) {
                    return std::nullopt;
                }
                break;
            case 'g':  // the era, e.g. "A.D.": shown, carries nothing
                reader.skipEraName();
                break;
            default:
                return std::nullopt;
        }
    }
    reader.skipBlanks();
    if (!reader.atEnd()) return std::nullopt;

    if (hour12) {
        if (*hour12 < 1 || *hour12 > 12) return std::nullopt;
        // Without a designator in the picture the hour is taken as written.
        fields.hour = afternoon ? *hour12 % 12 + (*afternoon ? 12 : 0) : *hour12;
    }
    if (fields.hour && *fields.hour > 23) return std::nullopt;
    if (fields.minute && *fields.minute > 59) return std::nullopt;
    if (fields.second && *fields.second > 59) return std::nullopt;
    if (fields.month && (*fields.month < 1 || *fields.month > 12)) return std::nullopt;
    if (fields.day) {
        const int limit =
            fields.month ? daysInMonth(fields.year.value_or(2000), *fields.month) : 31;
        if (*fields.day < 1 || *fields.day > limit) return std::nullopt;
    }
    return fields;
}

}  // namespace tw::win32_platform
