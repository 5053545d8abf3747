#pragma once

// Removing one deleted item's payload from the bin for good: a file, or a folder with all it
// holds. A link or junction inside a folder is removed itself; what it points to is never
// entered, so nothing outside the bin can go.

#include <cstdint>
#include <string>

namespace tw::win32_platform {

// True when nothing is left at `path` (gone already counts). Otherwise `error` tells the first
// thing that stayed; the rest of the folder is still removed as far as it can be. Whole or not,
// `freed` grows by what the disk got back: the allocation of each file removed as its last name
// (a sparse or compressed file takes less than its length, one with other names frees nothing)
// and of each folder removed.
bool removePayload(const std::wstring& path, std::string& error, std::uint64_t& freed);

}  // namespace tw::win32_platform
