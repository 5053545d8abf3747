#pragma once

// The size the Trash is kept under ("Trash Size"): a number of gigabytes, as the desktop shows
// sizes (1 GB = 2^30 bytes), 0 for no limit.

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "model/interval_count.h"

namespace tw {

inline constexpr double kBytesPerGB = 1024.0 * 1024.0 * 1024.0;

// The limit in bytes from the box's text (fractions allowed); 0 is no limit. Nothing when the
// text is no such number. A limit too large to count in bytes bounds nothing: no limit. A limit
// the user set is never rounded away to none at all.
inline std::optional<std::uint64_t> ReadLimitBytes(const std::string& text,
                                                   const std::string& decimalSeparator) {
    const auto gigabytes = ReadIntervalCount(text, decimalSeparator);
    if (!gigabytes) return std::nullopt;
    const double bytes = std::ceil(*gigabytes * kBytesPerGB);
    if (bytes >= 1.8e19) return 0;
    return static_cast<std::uint64_t>(bytes);
}

}  // namespace tw
