#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/remove_log.h"

namespace tw::linux_platform {

struct EmptyOptions {
    // Absolute paths of mount points below the trash directory (from mountinfo): left alone.
    std::vector<std::string> fencedMountPoints;
    // Runs once the entries to remove have been listed and before any is removed; a test seam
    // for work that happens while an empty runs.
    std::function<void()> afterSnapshot;
};

// Empties one trash directory (already opened and checked as `trashFd`, shown as
// `trashPath`). Only the items present when it starts are removed: for each, its entry under
// files/ first and its .trashinfo after, so an interrupted empty leaves no record of a file
// that is gone; then .trashinfo files whose item is missing, what is left under expunged/ and
// the directorysizes cache. An entry that can't be removed is logged and the rest goes on.
// True when everything went.
bool emptyTrashDirectory(int trashFd, const std::string& trashPath, RemoveLog& log,
                         const EmptyOptions& options = {});

}  // namespace tw::linux_platform
