#pragma once

// The size limit's choice: which items go to bring the bins down to the limit. The oldest go
// first, and items deleted at the same moment go together, so the choice is one moment: every
// item the floor lets go that was deleted no later than it. The removal is then the floor's own
// removal with that later cutoff (TrashSnapshot), item by item with every check of an empty.

#include <cstdint>
#include <limits>
#include <vector>

namespace tw::linux_platform {

// An item the floor lets go: when it was deleted (ns since the epoch) and what it takes.
struct AgedSize {
    std::int64_t deleted = 0;
    std::uint64_t bytes = 0;
};

// A cutoff before every deletion moment there can be: nothing goes.
inline constexpr std::int64_t kNothingGoes = std::numeric_limits<std::int64_t>::min() + 1;

// The latest deletion moment to remove, oldest first, so that the bins, holding `total` bytes,
// hold at most `limit`; all of `removable` when even that is not enough, kNothingGoes when
// nothing has to go. Sorts `removable`.
std::int64_t limitCutoff(std::vector<AgedSize>& removable, std::uint64_t total,
                         std::uint64_t limit);

}  // namespace tw::linux_platform
