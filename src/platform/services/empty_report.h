#pragma once

// What an empty of the bins is asked to keep, and what it did: the journal is written from it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tw {

struct EmptyOrder {
    // Items deleted less than this many seconds before the moment the empty began stay, on
    // every drive. 0 keeps nothing back: the whole bin goes, as an empty always did.
    std::int64_t keepSeconds = 0;
};

// Why an item stayed in a bin.
enum class KeptReason : std::size_t {
    TooRecent,           // deleted within the age floor
    ArrivedDuringEmpty,  // trashed (or trashed again) after the empty began
    Changed,             // changed since the empty began
    NotRemoved,          // could not be removed
};
inline constexpr std::size_t kKeptReasons = 4;

struct EmptyItem {
    std::string originalPath;  // where it was deleted from; its name in the bin when unknown
    KeptReason reason = KeptReason::NotRemoved;  // for kept items only
};

// One trash directory (Linux) or one drive's bin (Windows).
struct EmptyPlace {
    std::string place;
    std::uint64_t removed = 0;
    std::uint64_t bytesFreed = 0;        // the removed items' sizes, as far as they could be read
    std::uint64_t foldersUncounted = 0;  // removed folders whose contents bytesFreed leaves out
    std::array<std::uint64_t, kKeptReasons> kept{};  // counts by KeptReason
    // Named items; the whole report names at most EmptyReport::kMaxNamed of each kind, the
    // counts above hold the rest.
    std::vector<EmptyItem> removedItems;
    std::vector<EmptyItem> keptItems;
    std::string error;  // why this place could not be emptied (or not be read), if it could not
};

struct EmptyReport {
    static constexpr std::size_t kMaxNamed = 1000;
    std::vector<EmptyPlace> places;
};

}  // namespace tw
