#include "emptying/journal_entry.h"

#include <array>
#include <cstdio>
#include <numeric>

#include "runtime/calendar.h"
#include "runtime/printable_text.h"
#include "scheduling/keep_recent.h"

namespace tw {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

constexpr std::array<const char*, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonths = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};

// In the order of KeptReason.
constexpr std::array<const char*, kKeptReasons> kKeptWhy = {
    "too recent", "arrived during the empty", "changed", "could not be removed"};

std::string isoStamp(const LocalDateTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::string spokenDate(const LocalDateTime& t) {
    const int weekday = Weekday(DateOf(t));
    char text[96];
    std::snprintf(text, sizeof text, "%s %d %s %d, %02d:%02d:%02d local time",
                  kWeekdays.at(static_cast<std::size_t>(weekday - 1)), t.day,
                  kMonths.at(static_cast<std::size_t>(t.month - 1)), t.year, t.hour, t.minute,
                  t.second);
    return text;
}

std::string floorText(std::int64_t keepSeconds) {
    if (keepSeconds <= 0) return "none";
    if (keepSeconds >= kKeepEverythingSeconds) return "everything";
    if (keepSeconds % kSecondsPerDay == 0) {
        const std::int64_t days = keepSeconds / kSecondsPerDay;
        return std::to_string(days) + (days == 1 ? " day" : " days");
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.6g days (%lld seconds)",
                  static_cast<double>(keepSeconds) / kSecondsPerDay,
                  static_cast<long long>(keepSeconds));
    return text;
}

// Decimal units, as file managers show sizes, and the exact count for whoever adds them up.
std::string sizeText(std::uint64_t bytes) {
    const std::string exact = std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    if (bytes < 1000) return exact;
    constexpr std::array<const char*, 5> kUnits = {"kB", "MB", "GB", "TB", "PB"};
    double value = static_cast<double>(bytes) / 1000;
    std::size_t unit = 0;
    while (value >= 999.95 && unit + 1 < kUnits.size()) {
        value /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return std::string(text) + " (" + exact + ")";
}

std::string keptText(const EmptyPlace& place) {
    std::string text;
    for (std::size_t why = 0; why < kKeptReasons; ++why) {
        if (place.kept[why] == 0) continue;
        text += (text.empty() ? "" : ", ") + std::to_string(place.kept[why]) + " " + kKeptWhy[why];
    }
    return text.empty() ? "nothing" : text;
}

class Block {
  public:
    explicit Block(const LocalDateTime& began) : stamp_(isoStamp(began)) {}
    void line(const std::string& text) { text_ += stamp_ + " " + text + "\n"; }
    std::string done() { return std::move(text_) + "\n"; }

  private:
    std::string stamp_;
    std::string text_;
};

void describePlace(Block& block, const EmptyPlace& p) {
    const std::string place = printable(p.place);
    std::string freed = sizeText(p.bytesFreed);
    if (p.foldersUncounted > 0) {
        freed += " and what " + std::to_string(p.foldersUncounted) +
                 (p.foldersUncounted == 1 ? " folder" : " folders") + " held";
    }
    block.line(place + ": removed " + std::to_string(p.removed) + ", freed " + freed + "; kept " +
               keptText(p));
    if (!p.error.empty()) block.line(place + ": error: " + printable(p.error));
    for (const EmptyItem& item : p.removedItems) {
        block.line("  removed " + printable(item.originalPath));
    }
    for (const EmptyItem& item : p.keptItems) {
        block.line("  kept, " + std::string(kKeptWhy.at(static_cast<std::size_t>(item.reason))) +
                   ": " + printable(item.originalPath));
    }
    if (p.removed > p.removedItems.size()) {
        block.line("  ... and " + std::to_string(p.removed - p.removedItems.size()) +
                   " more removed");
    }
    const std::uint64_t kept = std::accumulate(p.kept.begin(), p.kept.end(), std::uint64_t{0});
    if (kept > p.keptItems.size()) {
        block.line("  ... and " + std::to_string(kept - p.keptItems.size()) + " more kept");
    }
}

}  // namespace

std::string JournalEntry(const LocalDateTime& began, EmptyCause cause, const EmptyOrder& order,
                         const EmptyReport& report, const EmptyOutcome& outcome) {
    Block block(began);
    block.line(std::string(cause == EmptyCause::Scheduled ? "scheduled" : "asked") + " empty, " +
               spokenDate(began) + "; keep recent items: " + floorText(order.keepSeconds));
    for (const EmptyPlace& place : report.places) describePlace(block, place);
    if (report.places.empty() && outcome.done) block.line("nothing was in the bins");
    if (outcome.done) {
        block.line("done");
    } else {
        block.line("failed: " + printable(outcome.failure.empty() ? std::string("the empty stopped")
                                                                  : outcome.failure));
    }
    return block.done();
}

}  // namespace tw
