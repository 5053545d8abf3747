#include "runtime/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "runtime/errors.h"

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

    // Digits are gathered into a canonical "123.45" form and converted once, correctly rounded.
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
    const auto [last, error] =
        std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
    if (error != std::errc() || last != canonical.data() + canonical.size()) return std::nullopt;
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

bool TextToBool(const std::string& text, const std::string& decimalSeparator) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "true") return true;
    if (lower == "false") return false;
    if (const auto number = ReadNumber(text, decimalSeparator)) return *number != 0.0;
    throw typeMismatchError();
}

}  // namespace tw
