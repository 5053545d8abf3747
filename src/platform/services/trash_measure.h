#pragma once

// What the bins of every fixed drive hold, as an empty that keeps a floor would find them: what
// it would remove and what it would keep for its age. A size is what the disk would get back:
// on Linux a file's allocated blocks and a folder's size from the trash's `directorysizes`
// cache (measured and added there when missing); on Windows the size in each item's record.

#include <cstdint>
#include <string>

namespace tw {

struct TrashMeasure {
    // Deleted at least the floor before the measure began: an empty would remove them. With
    // no floor every item is old, its age known or not.
    std::uint64_t oldItems = 0;
    std::uint64_t oldBytes = 0;
    // Deleted within the floor, or dated after the measure began: an empty would keep them.
    std::uint64_t recentItems = 0;
    std::uint64_t recentBytes = 0;
    // With a floor, items whose age can't be told: an empty would keep them too.
    std::uint64_t unknownItems = 0;
    std::uint64_t unknownBytes = 0;
    // Why some bin or item could not be measured; empty when everything could.
    std::string error;

    std::uint64_t totalBytes() const { return oldBytes + recentBytes + unknownBytes; }
};

}  // namespace tw
