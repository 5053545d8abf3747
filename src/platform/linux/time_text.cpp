#include "platform/linux/time_text.h"

#include <array>

namespace tw::linux_platform {

namespace {

enum class Half { None, Am, Pm };

// Blanks include the no-break spaces that some writers put before AM/PM.
std::size_t blankAt(std::string_view s, std::size_t i) {
    if (i < s.size() && (s[i] == ' ' || s[i] == '\t')) return 1;
    if (s.substr(i, 2) == "\xC2\xA0") return 2;      // U+00A0
    if (s.substr(i, 3) == "\xE2\x80\xAF") return 3;  // U+202F
    return 0;
}

std::size_t skipBlanks(std::string_view s, std::size_t i) {
    while (std::size_t n = blankAt(s, i)) i += n;
    return i;
}

char fold(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool startsWithFolded(std::string_view s, std::size_t i, std::string_view word) {
    if (word.empty() || s.size() - i < word.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
        if (fold(s[i + k]) != fold(word[k])) return false;
    }
    return true;
}

// Matches an AM/PM word at `i`, the longest one first; advances `i` past it.
Half readHalf(std::string_view s, std::size_t& i, const DayHalfNames& local) {
    struct Word {
        std::string_view text;
        Half half;
    };
    const std::array<Word, 6> words{{{"A.M.", Half::Am},
                                     {"P.M.", Half::Pm},
                                     {local.am, Half::Am},
                                     {local.pm, Half::Pm},
                                     {"AM", Half::Am},
                                     {"PM", Half::Pm}}};
    const Word* best = nullptr;
    for (const Word& w : words) {
        if (startsWithFolded(s, i, w.text) && (!best || w.text.size() > best->text.size())) {
            best = &w;
        }
    }
    if (!best) return Half::None;
    i += best->text.size();
    return best->half;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads `min` to `max` digits at `i`; fails when more digits follow.
std::optional<int> readDigits(std::string_view s, std::size_t& i, std::size_t min,
                              std::size_t max) {
    std::size_t n = 0;
    int value = 0;
    while (i + n < s.size() && isDigit(s[i + n])) {
        if (n == max) return std::nullopt;
        value = value * 10 + (s[i + n] - '0');
        ++n;
    }
    if (n < min) return std::nullopt;
    i += n;
    return value;
}

}  // namespace

std::optional<TimeOfDay> ReadTimeOfDay(std::string_view s, const DayHalfNames& local) {
    std::size_t i = skipBlanks(s, 0);
    Half half = readHalf(s, i, local);  // some locales write it first
    i = skipBlanks(s, i);

    const auto hour = readDigits(s, i, 1, 2);
    if (!hour || i >= s.size() || (s[i] != ':' && s[i] != '.')) return std::nullopt;
    const char separator = s[i++];
    const auto minute = readDigits(s, i, 2, 2);
    if (!minute) return std::nullopt;
    int second = 0;
    if (i + 1 < s.size() && s[i] == separator && isDigit(s[i + 1])) {
        ++i;
        const auto sec = readDigits(s, i, 2, 2);
        if (!sec) return std::nullopt;
        second = *sec;
    }

    i = skipBlanks(s, i);
    if (half == Half::None && i < s.size()) {
        half = readHalf(s, i, local);
        i = skipBlanks(s, i);
    }
    if (i != s.size()) return std::nullopt;

    int h = *hour;
    if (half != Half::None) {
        if (h > 12) return std::nullopt;
        h = h % 12 + (half == Half::Pm ? 12 : 0);
    }
    if (h > 23 || *minute > 59 || second > 59) return std::nullopt;
    return TimeOfDay{h, *minute, second};
}

}  // namespace tw::linux_platform
