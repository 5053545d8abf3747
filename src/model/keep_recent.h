#pragma once

// The age floor of scheduled empties: how recent a deletion must be for the item to stay.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "model/interval_count.h"

namespace tw {

// About 10 000 years: older than any deletion date a bin can hold, so a longer floor would keep
// nothing more, and short enough for the shells to count in their own units (100 ns on
// Windows) without overflow.
inline constexpr std::int64_t kKeepEverythingSeconds = std::int64_t{3'650'000} * 86400;

// The floor in whole seconds from the text of the "Keep Recent Items" box, a count of days
// (fractions allowed). Nothing when the text is no such count: a floor that can't be read is
// never 0, which would keep nothing back.
inline std::optional<std::int64_t> ReadKeepSeconds(const std::string& text,
                                                   const std::string& decimalSeparator) {
    const auto days = ReadIntervalCount(text, decimalSeparator);
    if (!days) return std::nullopt;
    if (*days == 0) return 0;
    const double seconds = *days * 86400.0;
    if (seconds >= static_cast<double>(kKeepEverythingSeconds)) return kKeepEverythingSeconds;
    // A floor the user set is never rounded away to none at all.
    return std::max<std::int64_t>(1, std::llround(seconds));
}

}  // namespace tw
