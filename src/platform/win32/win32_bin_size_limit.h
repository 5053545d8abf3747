#pragma once

// Bringing the bins of all fixed drives together down to a size limit: their oldest items go
// first, over all drives at once, until what is left is at most the limit. Items of one
// deletion date go together or not at all. Nothing the floor keeps and nothing whose age can't
// be read goes, even when the limit can't be met then; each item chosen goes only with every
// check of the floored empty (win32_bin_age_empty.h).

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/services/empty_report.h"
#include "platform/win32/win32_bin_age_empty.h"
#include "platform/win32/win32_bin_records.h"

namespace tw::win32_platform {

// For each bin, for each listed item, whether it is to go: the fewest oldest old items whose
// removal brings the bins' total (as measureListedBins counts it) to at most `limitBytes`.
std::vector<std::vector<bool>> chooseOldest(const std::vector<ListedBin>& bins,
                                            const AgeFloor& floor, std::uint64_t listedAt,
                                            std::uint64_t limitBytes);

// Empties the bins listed at `listedAt` down to `limitBytes`, one place in `report` for each
// drive where anything went, stayed or failed. Returns true when everything chosen went or was
// kept on purpose. `beforeRemoval` as for emptyDriveOlderThan.
bool emptyDownToLimit(const std::vector<ListedBin>& bins, const AgeFloor& floor,
                      std::uint64_t listedAt, std::uint64_t limitBytes, EmptyReport& report,
                      const std::function<void(const BinEntry&)>& beforeRemoval = {});

}  // namespace tw::win32_platform
