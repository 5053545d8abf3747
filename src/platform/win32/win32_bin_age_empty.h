#pragma once

// Emptying one drive's bin by the age of its items: what was deleted long enough before the
// empty began goes, the rest stays, and the drive's place in the report tells which and why.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/services/empty_report.h"
#include "platform/win32/win32_bin_records.h"

namespace tw::win32_platform {

struct AgeFloor {
    std::uint64_t began = 0;   // the moment the empty began, as a UTC FILETIME
    std::uint64_t cutoff = 0;  // items deleted at or before this go; 0 lets none go
};

// The floor of an empty that began at `began` (UTC FILETIME) and keeps what was deleted in the
// last `keepSeconds`.
AgeFloor ageFloor(std::uint64_t began, std::int64_t keepSeconds);

// How many more items the report may still name, of each kind.
struct NamedRoom {
    std::size_t removed = 0;
    std::size_t kept = 0;
    static NamedRoom leftIn(const EmptyReport& report);
};

// The present as a UTC FILETIME.
std::uint64_t utcNow();

// Why the floor keeps an item of a bin listed at `listedAt` (UTC FILETIME); nothing when it
// was deleted long enough before the empty began to go.
std::optional<KeptReason> keptByFloor(const BinEntry& entry, const AgeFloor& floor,
                                      std::uint64_t listedAt);

// Empties one listed bin down to `floor`, removing of its old items only those `chosen` names
// (by their place in the listing): an old item not chosen stays and is no kept item. Fills
// `place` and returns true when everything chosen went or was kept on purpose and every age
// could be read. `beforeRemoval` as for emptyDriveOlderThan.
bool emptyListedBin(const ListedBin& bin, const AgeFloor& floor, std::uint64_t listedAt,
                    const std::function<bool(std::size_t)>& chosen, NamedRoom& named,
                    EmptyPlace& place,
                    const std::function<void(const BinEntry&)>& beforeRemoval = {});

// Empties the bin of the drive `rootPath` down to `floor`. `shellCount` is the number of items
// the shell counts in that bin (negative: unknown); what it counts beyond the records we can
// read is kept and reported. Fills `place` and returns true when everything that was in the bin
// went or was kept on purpose. `beforeRemoval` (tests) runs between the listing and the removal
// of each old item: the moment a restore or a new deletion can race the empty.
bool emptyDriveOlderThan(const std::string& rootPath, std::int64_t shellCount,
                         const AgeFloor& floor, NamedRoom& named, EmptyPlace& place,
                         const std::function<void(const BinEntry&)>& beforeRemoval = {});

}  // namespace tw::win32_platform
