#include "platform/win32/win32_bin_age_empty.h"

#include "platform/win32/win32_api.h"

#include <algorithm>

#include "platform/win32/win32_bin_records.h"
#include "platform/win32/win32_bin_remove.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"

namespace tw::win32_platform {

namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;

enum class Outcome { Removed, Gone, Changed, NotRemoved };

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes one old item: its payload first, its record last, so that an item that can't be
// removed completely stays listed in the bin and can still be restored. `freed` grows by what
// the disk got back (see removePayload), whether the item went whole or in part.
Outcome removeItem(const BinEntry& entry, const std::wstring& folder, std::uint64_t& freed,
                   std::string& error) {
    // The record as it is now: a restore or a new deletion since the listing changes it.
    const std::optional<BinRecord> now = readBinRecord(entry.recordPath);
    if (!now) return exists(entry.recordPath) ? Outcome::NotRemoved : Outcome::Gone;
    if (now->deletedAt != entry.record->deletedAt ||
        now->originalPath != entry.record->originalPath) {
        return Outcome::Changed;
    }

    const DWORD attributes = GetFileAttributesW(entry.payloadPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        std::wstring target = entry.payloadPath;
        const bool folderPayload =
            (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (folderPayload) {
            // Taken aside in one rename: a restore racing the removal finds the whole folder
            // or nothing, never a half-emptied one.
            target = folder + L"\\" + std::wstring(kSetAsidePrefix) +
                     entry.payloadPath.substr(folder.size() + 3);
            if (!MoveFileW(entry.payloadPath.c_str(), target.c_str())) {
                if (!exists(entry.payloadPath)) return Outcome::Gone;
                error = "can't remove " + fromWide(entry.payloadPath) + ": " +
                        describeError(GetLastError());
                return Outcome::NotRemoved;
            }
        }
        if (!removePayload(target, error, freed)) {
            // What is left goes back in its place, restorable as far as it still is.
            if (folderPayload) MoveFileW(target.c_str(), entry.payloadPath.c_str());
            return Outcome::NotRemoved;
        }
    }
    if (!DeleteFileW(entry.recordPath.c_str()) && exists(entry.recordPath)) {
        error = "can't remove " + fromWide(entry.recordPath) + ": " + describeError(GetLastError());
        return Outcome::NotRemoved;
    }
    return Outcome::Removed;
}

std::string nameOf(const BinEntry& entry) {
    return fromWide(entry.record ? entry.record->originalPath : entry.payloadPath);
}

}  // namespace

AgeFloor ageFloor(std::uint64_t began, std::int64_t keepSeconds) {
    AgeFloor floor;
    floor.began = began;
    const auto keep = static_cast<std::uint64_t>(std::max<std::int64_t>(keepSeconds, 0));
    // A floor reaching back before 1601 lets nothing go.
    if (keep < began / kTicksPerSecond) floor.cutoff = began - keep * kTicksPerSecond;
    return floor;
}

NamedRoom NamedRoom::leftIn(const EmptyReport& report) {
    NamedRoom room{EmptyReport::kMaxNamed, EmptyReport::kMaxNamed};
    for (const EmptyPlace& place : report.places) {
        room.removed -= std::min(room.removed, place.removedItems.size());
        room.kept -= std::min(room.kept, place.keptItems.size());
    }
    return room;
}

std::uint64_t utcNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}

std::optional<KeptReason> keptByFloor(const BinEntry& entry, const AgeFloor& floor,
                                      std::uint64_t listedAt) {
    if (!entry.record) return KeptReason::RecordDamaged;
    // A date later than the moment the bin was listed was set by a clock that is wrong now or
    // was then: no item can have been deleted after it was listed.
    if (entry.record->deletedAt > listedAt) return KeptReason::DatedInFuture;
    if (entry.record->deletedAt >= floor.began) return KeptReason::ArrivedDuringEmpty;
    if (entry.record->deletedAt > floor.cutoff) return KeptReason::TooRecent;
    return std::nullopt;
}

bool emptyListedBin(const ListedBin& bin, const AgeFloor& floor, std::uint64_t listedAt,
                    const std::function<bool(std::size_t)>& chosen, NamedRoom& named,
                    EmptyPlace& place, const std::function<void(const BinEntry&)>& beforeRemoval) {
    place.place = bin.root;
    const BinListing& listing = bin.listing;
    const auto listed = static_cast<std::int64_t>(listing.entries.size());
    if (!listing.error.empty()) {
        // Without the whole list nothing is removed: what could not be listed may be younger.
        place.addError(listing.error + "; nothing was removed from this drive's bin");
        place.kept[std::size_t(KeptReason::AgeUnknown)] += std::max(bin.shellItems, listed);
        return false;
    }

    auto keep = [&](const BinEntry& entry, KeptReason reason) {
        ++place.kept[std::size_t(reason)];
        if (namedWhenKept(reason) && named.kept > 0) {
            --named.kept;
            place.name(place.keptItems, nameOf(entry), reason);
        }
    };
    bool complete = true;
    for (const std::wstring& leftover : listing.leftovers) {
        std::string ignored;  // already out of the bin; the next empty tries again
        removePayload(leftover, ignored, place.bytesFreed);
    }
    std::int64_t unreadable = 0;
    for (std::size_t i = 0; i < listing.entries.size(); ++i) {
        const BinEntry& entry = listing.entries[i];
        if (const std::optional<KeptReason> reason = keptByFloor(entry, floor, listedAt)) {
            if (!entry.record) ++unreadable;
            keep(entry, *reason);
            continue;
        }
        if (!chosen(i)) continue;
        if (beforeRemoval) beforeRemoval(entry);
        std::string error;
        switch (removeItem(entry, listing.folder, place.bytesFreed, error)) {
            case Outcome::Removed:
                ++place.removed;
                if (named.removed > 0) {
                    --named.removed;
                    place.name(place.removedItems, nameOf(entry), KeptReason::NotRemoved);
                }
                break;
            case Outcome::Gone:  // restored (or removed) meanwhile: no longer in the bin
                break;
            case Outcome::Changed:
                keep(entry, KeptReason::Changed);
                break;
            case Outcome::NotRemoved:
                keep(entry, KeptReason::NotRemoved);
                place.addError(error);
                complete = false;
                break;
        }
    }
    // Items the shell counts but no record of ours tells the age of stay where they are.
    const std::int64_t unseen = std::max<std::int64_t>(bin.shellItems - listed, 0);
    place.kept[std::size_t(KeptReason::AgeUnknown)] += static_cast<std::uint64_t>(unseen);
    if (unreadable + unseen > 0) {
        place.addError("the deletion date of " + std::to_string(unreadable + unseen) +
                       " item(s) can't be read; they were left in the bin");
        complete = false;
    }
    return complete;
}

bool emptyDriveOlderThan(const std::string& rootPath, std::int64_t shellCount,
                         const AgeFloor& floor, NamedRoom& named, EmptyPlace& place,
                         const std::function<void(const BinEntry&)>& beforeRemoval) {
    const ListedBin bin{rootPath, shellCount, 0, listBin(rootPath)};
    return emptyListedBin(
        bin, floor, utcNow(), [](std::size_t) { return true; }, named, place, beforeRemoval);
}

}  // namespace tw::win32_platform
