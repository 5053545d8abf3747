#include "platform/win32/win32_bin_size_limit.h"

#include <algorithm>

#include "platform/win32/win32_bin_measure.h"

namespace tw::win32_platform {

std::vector<std::vector<bool>> chooseOldest(const std::vector<ListedBin>& bins,
                                            const AgeFloor& floor, std::uint64_t listedAt,
                                            std::uint64_t limitBytes) {
    struct Old {
        std::uint64_t deletedAt;
        std::size_t bin;
        std::size_t entry;
    };
    std::vector<Old> old;
    std::vector<std::vector<bool>> chosen(bins.size());
    for (std::size_t b = 0; b < bins.size(); ++b) {
        const BinListing& listing = bins[b].listing;
        chosen[b].assign(listing.entries.size(), false);
        // A bin not listed whole loses nothing: what could not be listed may be younger.
        if (!listing.error.empty()) continue;
        for (std::size_t e = 0; e < listing.entries.size(); ++e) {
            if (!keptByFloor(listing.entries[e], floor, listedAt)) {
                old.push_back({listing.entries[e].record->deletedAt, b, e});
            }
        }
    }
    std::sort(old.begin(), old.end(),
              [](const Old& a, const Old& b) { return a.deletedAt < b.deletedAt; });

    std::uint64_t total = measureListedBins(bins, floor, listedAt, true).totalBytes();
    for (std::size_t i = 0; i < old.size() && total > limitBytes;) {
        // One date at a time: which of the items deleted together is older can't be told.
        const std::uint64_t date = old[i].deletedAt;
        for (; i < old.size() && old[i].deletedAt == date; ++i) {
            chosen[old[i].bin][old[i].entry] = true;
            total -= std::min(total, itemBytes(bins[old[i].bin].listing.entries[old[i].entry]));
        }
    }
    return chosen;
}

bool emptyDownToLimit(const std::vector<ListedBin>& bins, const AgeFloor& floor,
                      std::uint64_t listedAt, std::uint64_t limitBytes, EmptyReport& report,
                      const std::function<void(const BinEntry&)>& beforeRemoval) {
    const std::vector<std::vector<bool>> chosen = chooseOldest(bins, floor, listedAt, limitBytes);
    NamedRoom named = NamedRoom::leftIn(report);
    bool complete = true;
    for (std::size_t b = 0; b < bins.size(); ++b) {
        EmptyPlace place;
        complete &= emptyListedBin(
            bins[b], floor, listedAt, [&](std::size_t e) { return chosen[b][e]; }, named, place,
            beforeRemoval);
        const bool anything = place.removed > 0 || !place.errors.empty() ||
                              std::any_of(place.kept.begin(), place.kept.end(),
                                          [](std::uint64_t n) { return n > 0; });
        if (anything) report.places.push_back(std::move(place));
    }
    return complete;
}

}  // namespace tw::win32_platform
