#include "emptying/journal_entry.h"

#include <array>
#include <cstdio>

#include "model/keep_recent.h"
#include "model/trash_limit.h"
#include "runtime/calendar.h"
#include "runtime/printable_text.h"
#include "runtime/size_text.h"

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
    "too recent",     "date unreadable, age unknown", "dated in the future",
    "record damaged", "arrived during the empty",     "changed",
    "partly removed", "could not be removed"};

// What a block may take for names and errors, whatever they are: the journal keeps its last
// empties, not one empty's names. The counts and the end still follow.
constexpr std::size_t kNamesCeiling = 192 * 1024;

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

const char* causeText(EmptyCause cause) {
    switch (cause) {
        case EmptyCause::Scheduled:
            return "scheduled";
        case EmptyCause::Asked:
            return "asked";
        case EmptyCause::SizeLimit:
            return "size-limit";
    }
    return "";
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
    const std::string inUnits = SizeInUnits(bytes, 1000);
    return inUnits.empty() ? exact : inUnits + " (" + exact + ")";
}

// What the empty was asked to keep: its floor, and its size limit when it had one.
std::string orderText(const EmptyOrder& order) {
    std::string text = "keep recent items: " + floorText(order.keepSeconds);
    if (order.limitBytes == 0) return text;
    char limit[48];
    std::snprintf(limit, sizeof limit, "%.6g GB (",
                  static_cast<double>(order.limitBytes) / kBytesPerGB);
    return text + "; size limit: " + limit + std::to_string(order.limitBytes) + " bytes)";
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
    // A line that names something, written while the block is below its ceiling.
    bool naming(const std::string& text) {
        if (named_ + text.size() > kNamesCeiling) return false;
        named_ += text.size();
        line(text);
        return true;
    }
    std::string done() { return std::move(text_) + "\n"; }

  private:
    std::string stamp_;
    std::string text_;
    std::size_t named_ = 0;
};

std::string shownName(const std::string& name) {
    return printableName(name, EmptyPlace::kMaxNameBytes);
}

std::string keptLine(const EmptyItem& item) {
    std::string why = kKeptWhy.at(static_cast<std::size_t>(item.reason));
    if (item.reason == KeptReason::PartlyRemoved) {
        why += ": " + std::to_string(item.entriesRemoved) +
               (item.entriesRemoved == 1 ? " entry, " : " entries, ") +
               std::to_string(item.entriesLeft) + " left";
        return "  " + why + ": " + shownName(item.originalPath);
    }
    return "  kept, " + why + ": " + shownName(item.originalPath);
}

void describePlace(Block& block, const EmptyPlace& p) {
    const std::string place = shownName(p.place);
    std::string freed = " " + sizeText(p.bytesFreed);
    if (!p.freedKnown) {
        freed = ": not known (left to the shell";
        if (p.shellShrank > 0) {
            freed += ", which counts the bin " + sizeText(p.shellShrank) + " smaller";
        }
        freed += ")";
    }
    block.line(place + ": removed " + std::to_string(p.removed) + ", freed" + freed + "; kept " +
               keptText(p));
    std::uint64_t errorsUntold = p.errorsUntold;
    for (const std::string& error : p.errors) {
        if (!block.naming(place + ": error: " + shownName(error))) ++errorsUntold;
    }
    if (errorsUntold > 0) {
        block.line(place + ": " + std::to_string(errorsUntold) + " more error(s)");
    }
    std::uint64_t removedNamed = 0;
    for (const EmptyItem& item : p.removedItems) {
        if (!block.naming("  removed " + shownName(item.originalPath))) break;
        ++removedNamed;
    }
    std::uint64_t keptNamed = 0, keptUnnamed = 0;
    for (std::size_t why = 0; why < kKeptReasons; ++why) {
        if (namedWhenKept(static_cast<KeptReason>(why))) keptUnnamed += p.kept[why];
    }
    for (const EmptyItem& item : p.keptItems) {
        if (!namedWhenKept(item.reason)) continue;
        if (!block.naming(keptLine(item))) break;
        ++keptNamed;
    }
    if (p.removed > removedNamed) {
        block.line("  ... and " + std::to_string(p.removed - removedNamed) + " more removed");
    }
    if (keptUnnamed > keptNamed) {
        block.line("  ... and " + std::to_string(keptUnnamed - keptNamed) +
                   " more kept for the reasons above");
    }
}

}  // namespace

std::string JournalEntry(const LocalDateTime& began, EmptyCause cause, const EmptyOrder& order,
                         const EmptyReport& report, const EmptyOutcome& outcome) {
    Block block(began);
    block.line(std::string(causeText(cause)) + " empty, " + spokenDate(began) + "; " +
               orderText(order));
    for (const EmptyPlace& place : report.places) describePlace(block, place);
    if (report.places.empty() && outcome.done) block.line("nothing was in the bins");
    if (outcome.done) {
        block.line("done");
    } else {
        block.line("failed: " + shownName(outcome.failure.empty() ? std::string("the empty stopped")
                                                                  : outcome.failure));
    }
    return block.done();
}

}  // namespace tw

namespace tw {

bool FoundNothing(const EmptyReport& report, const EmptyOutcome& outcome) {
    if (!outcome.done) return false;
    for (const EmptyPlace& place : report.places) {
        if (place.removed > 0 || !place.errors.empty() || place.errorsUntold > 0) return false;
        for (std::size_t why = 0; why < kKeptReasons; ++why) {
            if (place.kept[why] > 0 && namedWhenKept(static_cast<KeptReason>(why))) return false;
        }
    }
    return true;
}

std::string JournalNothingRun(const LocalDateTime& first, const LocalDateTime& last,
                              std::uint64_t count, EmptyCause cause, const EmptyOrder& order,
                              const EmptyReport& report) {
    std::uint64_t recent = 0;
    for (const EmptyPlace& place : report.places) {
        recent += place.kept[static_cast<std::size_t>(KeptReason::TooRecent)];
    }
    std::string text = count == 1 ? std::string(causeText(cause)) + " empty found nothing to remove"
                                  : std::to_string(count) +
                                        " empties in a row found nothing to remove, the last at " +
                                        isoStamp(last) + " (" + causeText(cause) + ")";
    text += "; " + orderText(order);
    if (recent > 0) text += "; kept " + std::to_string(recent) + " too recent";
    Block block(first);
    block.line(text);
    return block.done();
}

}  // namespace tw
