#pragma once

#include <filesystem>

namespace tw::linux_platform {

// The journal's file in the user's state folder: $XDG_STATE_HOME/tidewell/journal.log, or
// ~/.local/state/tidewell/journal.log when that is unset or not an absolute path. Empty when
// there is no home folder either.
std::filesystem::path JournalLocation();

}  // namespace tw::linux_platform
