#pragma once

// Emptying one drive's bin by the age of its items: what was deleted long enough before the
// empty began goes, the rest stays, and the drive's place in the report tells which and why.

#include <cstdint>
#include <string>

#include "platform/services/empty_report.h"

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

// Empties the bin of the drive `rootPath` down to `floor`. `shellCount` is the number of items
// the shell counts in that bin (negative: unknown); what it counts beyond the records we can
// read is kept and reported. Fills `place` and returns true when everything that was in the bin
// went or was kept on purpose.
bool emptyDriveOlderThan(const std::string& rootPath, std::int64_t shellCount,
                         const AgeFloor& floor, NamedRoom& named, EmptyPlace& place);

}  // namespace tw::win32_platform
