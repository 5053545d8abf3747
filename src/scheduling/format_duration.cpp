#include "scheduling/format_duration.h"

#include <cstdio>
#include <cstdlib>

namespace tw {

namespace {

std::string clockText(std::int64_t seconds) {
    seconds %= 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

}  // namespace

std::string FormatDuration(std::int32_t seconds) {
    const std::int64_t n = seconds;
    if (n >= 86400) return std::to_string(n / 86400) + " day(s) and " + clockText(n % 86400);
    return clockText(std::llabs(n));
}

}  // namespace tw
