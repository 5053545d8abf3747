#pragma once

// The journal's block for one empty: what started it, what it was asked to keep, and for each
// trash directory or drive what went, what stayed and why. Every line starts with the moment
// the empty began, so that a search for a name also tells when it went; names are escaped, so
// that no name can make a line of its own.

#include <cstdint>
#include <string>

#include "model/empty_cause.h"
#include "platform/services/empty_report.h"
#include "runtime/date_value.h"

namespace tw {

struct EmptyOutcome {
    bool done = false;
    std::string failure;  // why not, in words for the user; may be empty when it is not known
};

std::string JournalEntry(const LocalDateTime& began, EmptyCause cause, const EmptyOrder& order,
                         const EmptyReport& report, const EmptyOutcome& outcome);

// An empty that went well and removed nothing, with nothing to name and no error: with a short
// interval one runs every second, and a block for each would rotate a day's history away.
bool FoundNothing(const EmptyReport& report, const EmptyOutcome& outcome);

// One block of one line for `count` such empties in a row, the first begun at `first`, the
// last at `last` with `order` and `report`. It replaces the one for the empties before.
std::string JournalNothingRun(const LocalDateTime& first, const LocalDateTime& last,
                              std::uint64_t count, EmptyCause cause, const EmptyOrder& order,
                              const EmptyReport& report);

}  // namespace tw
