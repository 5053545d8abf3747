#pragma once

// What the bins of the fixed drives hold, weighed and aged as the floored empty and the size
// limit read them: an item weighs the size its record gives; an item whose record can't be
// read weighs what its payload holds now (its age is not known, but its room on the disk is);
// items the shell counts beyond the records weigh what the shell counts beyond them.

#include <cstdint>
#include <vector>

#include "platform/services/trash_measure.h"
#include "platform/win32/win32_bin_age_empty.h"
#include "platform/win32/win32_bin_records.h"

namespace tw::win32_platform {

// What one listed item weighs; 0 for an item gone since it was listed.
std::uint64_t itemBytes(const BinEntry& entry);

// The bins listed at `listedAt`, measured against `floor`; with `floored` false (no floor)
// every item counts as old, its age known or not.
TrashMeasure measureListedBins(const std::vector<ListedBin>& bins, const AgeFloor& floor,
                               std::uint64_t listedAt, bool floored);

}  // namespace tw::win32_platform
