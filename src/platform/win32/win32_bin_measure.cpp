#include "platform/win32/win32_bin_measure.h"

#include "platform/win32/win32_api.h"

#include <algorithm>
#include <optional>
#include <string>

namespace tw::win32_platform {

namespace {

bool isFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::uint64_t lengthOf(DWORD high, DWORD low) {
    return (std::uint64_t{high} << 32) | low;
}

// The length of a file, or of every file in a folder; a link counts as nothing and is not
// followed. What vanishes meanwhile counts as nothing. No recursion: depth can't overflow.
std::uint64_t payloadBytes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return 0;
    if (!isFolder(data.dwFileAttributes)) return lengthOf(data.nFileSizeHigh, data.nFileSizeLow);
    std::uint64_t bytes = 0;
    std::vector<std::wstring> folders{path};
    while (!folders.empty()) {
        const std::wstring folder = std::move(folders.back());
        folders.pop_back();
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            if (isFolder(found.dwFileAttributes)) {
                folders.push_back(folder + L"\\" + name);
            } else if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                bytes += lengthOf(found.nFileSizeHigh, found.nFileSizeLow);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return bytes;
}

void add(std::uint64_t& items, std::uint64_t& bytes, std::uint64_t n, std::uint64_t size) {
    items += n;
    bytes += size;
}

}  // namespace

std::uint64_t itemBytes(const BinEntry& entry) {
    if (entry.record) return entry.record->size;
    if (GetFileAttributesW(entry.recordPath.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
    return payloadBytes(entry.payloadPath);
}

TrashMeasure measureListedBins(const std::vector<ListedBin>& bins, const AgeFloor& floor,
                               std::uint64_t listedAt, bool floored) {
    TrashMeasure measure;
    auto unknown = [&](std::uint64_t n, std::uint64_t size) {
        if (floored) {
            add(measure.unknownItems, measure.unknownBytes, n, size);
        } else {
            add(measure.oldItems, measure.oldBytes, n, size);
        }
    };
    for (const ListedBin& bin : bins) {
        const std::uint64_t shellItems =
            static_cast<std::uint64_t>(std::max<std::int64_t>(bin.shellItems, 0));
        if (!bin.listing.error.empty()) {
            if (!measure.error.empty()) measure.error += "; ";
            measure.error += bin.listing.error;
            unknown(std::max<std::uint64_t>(shellItems, bin.listing.entries.size()),
                    bin.shellBytes);
            continue;
        }
        std::uint64_t listed = 0;
        std::uint64_t listedBytes = 0;
        for (const BinEntry& entry : bin.listing.entries) {
            const bool gone = !entry.record && GetFileAttributesW(entry.recordPath.c_str()) ==
                                                   INVALID_FILE_ATTRIBUTES;
            if (gone) continue;  // restored or emptied since it was listed
            const std::uint64_t bytes = itemBytes(entry);
            ++listed;
            listedBytes += bytes;
            const std::optional<KeptReason> kept = keptByFloor(entry, floor, listedAt);
            if (!entry.record) {
                unknown(1, bytes);
            } else if (kept && floored) {
                add(measure.recentItems, measure.recentBytes, 1, bytes);
            } else {
                add(measure.oldItems, measure.oldBytes, 1, bytes);
            }
        }
        // Items the shell counts beyond our records: their ages can't be read, their room is
        // what the shell counts beyond the records' sizes.
        if (shellItems > listed) {
            unknown(shellItems - listed,
                    bin.shellBytes > listedBytes ? bin.shellBytes - listedBytes : 0);
        }
    }
    return measure;
}

}  // namespace tw::win32_platform
