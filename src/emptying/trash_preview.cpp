#include "emptying/trash_preview.h"

#include <cstdio>

#include "runtime/size_text.h"

namespace tw {

namespace {

// "1 234 567": long counts read at a glance.
std::string grouped(std::uint64_t count) {
    const std::string digits = std::to_string(count);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ' ';
        text += digits[i];
    }
    return text;
}

std::string items(std::uint64_t count) {
    return grouped(count) + (count == 1 ? " item" : " items");
}

std::string days(std::int64_t keepSeconds) {
    const double count = static_cast<double>(keepSeconds) / 86400.0;
    char text[48];
    std::snprintf(text, sizeof text, "%.6g %s", count, count == 1 ? "day" : "days");
    return text;
}

}  // namespace

std::string PreviewText(const TrashMeasure& measure, std::int64_t keepSeconds) {
    std::string text = "The next empty will remove " + items(measure.oldItems) + " (" +
                       ShownSize(measure.oldBytes) + ")";
    if (keepSeconds > 0) {
        text += " and keep " + grouped(measure.recentItems) + " deleted in the last " +
                days(keepSeconds);
        if (measure.unknownItems > 0) {
            text += " and " + grouped(measure.unknownItems) + " whose age can't be told";
        }
    }
    text += ".";
    if (!measure.error.empty()) text += " Not everything could be measured: " + measure.error;
    return text;
}

}  // namespace tw
