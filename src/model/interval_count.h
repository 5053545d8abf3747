#pragma once

#include <optional>
#include <string>

#include "runtime/number_text.h"

namespace tw {

// A count of days, hours or minutes in an interval box: a number in the user's format that is
// not negative. A negative count is no schedule (it would be due at once, at every tick), so
// the boxes refuse it as they refuse letters.
inline std::optional<double> ReadIntervalCount(const std::string& text,
                                               const std::string& decimalSeparator) {
    const auto value = ReadNumber(text, decimalSeparator);
    if (!value || *value < 0) return std::nullopt;
    return value;
}

}  // namespace tw
