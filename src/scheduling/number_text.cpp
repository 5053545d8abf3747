#include "scheduling/number_text.h"

#include <cmath>

namespace tw {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<double> ReadNumber(const std::string& text, const std::string& decimalSeparator) {
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && isBlank(text[i])) ++i;
    while (end > i && isBlank(text[end - 1])) --end;

    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // Digits are gathered into a canonical "123.45" form and converted exactly once.
    std::string canonical;
    bool anyDigit = false;
    while (i < end && isDigit(text[i])) {
        canonical += text[i++];
        anyDigit = true;
    }
    if (!decimalSeparator.empty() &&
        text.compare(i, decimalSeparator.size(), decimalSeparator) == 0) {
        i += decimalSeparator.size();
        canonical += '.';
        while (i < end && isDigit(text[i])) {
            canonical += text[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit || i != end) return std::nullopt;

    double value = 0.0;
    double scale = 0.0;  // 0 while in the whole part, then 0.1, 0.01, ...
    for (char c : canonical) {
        if (c == '.') {
            scale = 1.0;
            continue;
        }
        if (scale == 0.0) {
            value = value * 10.0 + (c - '0');
        } else {
            scale /= 10.0;
            value += (c - '0') * scale;
        }
    }
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace tw
