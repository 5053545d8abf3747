#include "runtime/size_text.h"

#include <array>
#include <cstdio>

namespace tw {

std::string SizeInUnits(std::uint64_t bytes, double base) {
    constexpr std::array<const char*, 5> kUnits = {"kB", "MB", "GB", "TB", "PB"};
    double value = static_cast<double>(bytes) / base;
    if (value < 1) return {};
    std::size_t unit = 0;
    // Up a unit where one decimal would round to "1000.0".
    while (value >= base - 0.05 && unit + 1 < kUnits.size()) {
        value /= base;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string ShownSize(std::uint64_t bytes) {
    const std::string inUnits = SizeInUnits(bytes, 1024);
    return inUnits.empty() ? std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes") : inUnits;
}

}  // namespace tw
