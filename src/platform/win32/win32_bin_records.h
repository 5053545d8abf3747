#pragma once

// A drive's Recycle Bin as it lies on disk: the folder `$Recycle.Bin\<user's SID>\` at the
// drive's root, where each deleted item is a record `$I<id>` (when it was deleted, from where,
// how big) beside its payload `$R<id>` (the file or folder itself). The shell's view of the bin
// can't be asked for deletion dates on every system this runs on; the records can, with plain
// file calls.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::win32_platform {

struct BinRecord {
    std::uint64_t size = 0;       // of the item when it was deleted, in bytes
    std::uint64_t deletedAt = 0;  // FILETIME: 100 ns since 1601, UTC
    std::wstring originalPath;
};

// A record's bytes; nothing when they are not a record of a version we know.
std::optional<BinRecord> parseBinRecord(std::string_view bytes);
// The record file at `path` read now; nothing when it is gone or can't be read.
std::optional<BinRecord> readBinRecord(const std::wstring& path);

struct BinEntry {
    std::wstring recordPath;
    std::wstring payloadPath;
    std::optional<BinRecord> record;  // nothing: the item's age can't be told
};

struct BinListing {
    std::wstring folder;  // this user's bin on the drive; empty when the user can't be told
    bool exists = false;
    std::vector<BinEntry> entries;
    // Payloads an earlier empty set aside and did not finish removing.
    std::vector<std::wstring> leftovers;
    std::string error;  // why the bin could not be listed, if it could not
};

// One drive's bin as the shell counts it and as its records list it.
struct ListedBin {
    std::string root;              // "C:\\"
    std::int64_t shellItems = -1;  // -1: the shell can't count the bin
    std::uint64_t shellBytes = 0;
    BinListing listing;
};

// Name prefix of a folder payload taken aside for removal, so a restore racing the removal
// gets either the whole folder or nothing.
inline constexpr std::wstring_view kSetAsidePrefix = L"$Tidewell-removing-";

// This user's bin folder on the drive `rootPath` ("C:\"); empty when the user can't be told.
std::wstring binFolderOf(const std::string& rootPath);
// This user's bin on the drive `rootPath`, with the records of its first `recordsToRead` items
// read.
BinListing listBin(const std::string& rootPath, std::size_t recordsToRead = SIZE_MAX);

}  // namespace tw::win32_platform
