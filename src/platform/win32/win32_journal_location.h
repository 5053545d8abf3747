#pragma once

#include <filesystem>

namespace tw::win32_platform {

// The journal's file in the user's local application data:
// %LOCALAPPDATA%\Quendra\Tidewell\journal.log. Empty when that folder is not known.
std::filesystem::path JournalLocation();

}  // namespace tw::win32_platform
