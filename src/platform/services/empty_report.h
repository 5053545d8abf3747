#pragma once

// What an empty of the bins is asked to keep, and what it did: the journal is written from it.
// Everything here is bounded, whatever the bins hold: a report names a fixed number of items,
// each name cut to a fixed length, and keeps a fixed number of errors per place.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

struct EmptyOrder {
    // Items deleted less than this many seconds before the moment the empty began stay, on
    // every drive. 0 keeps nothing back: the whole bin goes, as an empty always did.
    std::int64_t keepSeconds = 0;
    // When not 0, a size limit instead of a whole empty: the bins of all drives together are
    // brought down to at most this many bytes (as TrashMeasure counts them) by removing their
    // oldest items first (by the age the floor reads; items of the same age go together), and
    // nothing else goes. What the floor keeps, or whose age can't be told, stays even when the
    // limit can't be met then.
    std::uint64_t limitBytes = 0;
};

// Why an item stayed in a bin. Each says only what is true of the item.
enum class KeptReason : std::size_t {
    TooRecent,           // deleted within the age floor
    AgeUnknown,          // its deletion date can't be read and nothing else tells its age
    DatedInFuture,       // its deletion date lies after the empty began (a clock set back)
    RecordDamaged,       // its deletion record can't be read as one
    ArrivedDuringEmpty,  // trashed (or trashed again) after the empty began
    Changed,             // changed since the empty began
    PartlyRemoved,       // a folder of which only some entries could be removed
    NotRemoved,          // could not be removed
};
inline constexpr std::size_t kKeptReasons = 8;

// Items kept for being recent are counted, never named: with a floor the same ones would be
// named again at every empty, and push the empties before out of the journal.
constexpr bool namedWhenKept(KeptReason reason) {
    return reason != KeptReason::TooRecent;
}

struct EmptyItem {
    std::string originalPath;  // where it was deleted from; its name in the bin when unknown
    KeptReason reason = KeptReason::NotRemoved;  // for kept items only
    // PartlyRemoved: what went of the folder and, as far as could be told, what is left.
    std::uint64_t entriesRemoved = 0;
    std::uint64_t entriesLeft = 0;
};

// One trash directory (Linux) or one drive's bin (Windows).
struct EmptyPlace {
    // A name is kept to this many bytes (a record may hold a path of any length); the journal
    // shows that it was cut.
    static constexpr std::size_t kMaxNameBytes = 1024;
    static constexpr std::size_t kMaxErrors = 100;

    std::string place;
    std::uint64_t removed = 0;
    // What the file systems got back: the allocated blocks of each removed file that was its
    // last link and of each removed folder, as far as they could be read.
    std::uint64_t bytesFreed = 0;
    // False where the removal was left to a program that does not tell what the disk got back
    // (the Windows shell): bytesFreed is then not known, and shellShrank is how much smaller the
    // shell counts the bin. That is the length of what went, more than a sparse or compressed
    // file takes, and all of a file that has other names.
    bool freedKnown = true;
    std::uint64_t shellShrank = 0;
    std::array<std::uint64_t, kKeptReasons> kept{};  // counts by KeptReason
    // Named items; the whole report names at most EmptyReport::kMaxNamed of each kind, the
    // counts above hold the rest.
    std::vector<EmptyItem> removedItems;
    std::vector<EmptyItem> keptItems;
    // Why this place, or part of it, could not be emptied or read: every one, up to kMaxErrors,
    // and how many more there were.
    std::vector<std::string> errors;
    std::uint64_t errorsUntold = 0;

    void addError(std::string error) {
        if (errors.size() < kMaxErrors) {
            if (error.size() > kMaxNameBytes) error.resize(kMaxNameBytes + 1);
            errors.push_back(std::move(error));
        } else {
            ++errorsUntold;
        }
    }
    // Names an item, its name cut to kMaxNameBytes.
    void name(std::vector<EmptyItem>& items, std::string_view path, KeptReason reason) {
        items.push_back({std::string(path.substr(0, kMaxNameBytes + 1)), reason});
    }
};

struct EmptyReport {
    static constexpr std::size_t kMaxNamed = 1000;
    std::vector<EmptyPlace> places;
};

}  // namespace tw
