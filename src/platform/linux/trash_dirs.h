#pragma once

// Finding the user's trash directories on a mount. An empty removes everything in what this
// returns, so the checks the Trash standard asks of a trash directory are made here, once, on
// the very descriptor that is then emptied.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/mount_table.h"
#include "platform/linux/unique_fd.h"

namespace tw::linux_platform {

// The home trash of the freedesktop.org Trash standard: $XDG_DATA_HOME/Trash, or
// $HOME/.local/share/Trash when XDG_DATA_HOME is unset or not absolute. Empty without a home.
std::string homeTrashPath(std::string_view home, std::string_view xdgDataHome);

struct TrashDirectory {
    std::string path;  // canonical, for messages
    UniqueFd fd;       // the very directory that passed the checks
    dev_t dev = 0;
    ino_t ino = 0;
    int error = 0;  // why a trash of the user's own could not be opened (no fd then)
};

// The trash directories of user `uid` on `mount`, opened:
//  - the home trash, when it lies on that mount;
//  - $topdir/.Trash/$uid, when $topdir/.Trash is a real directory (not a link) with the
//    sticky bit, and $uid in it is a real directory owned by the user;
//  - $topdir/.Trash-$uid, when it is a real directory owned by the user.
// Nothing for a mount that holds no trash (remote, optical, unknown) or that can only be
// reached through one that may hang. Checks and use share one descriptor, so a directory
// swapped after its check is never the one emptied. A trash directory of the user's own that
// denies the user access is opened up (see openOwnDirectory); one that still can't be opened
// is listed with its error, so that nobody takes it for an empty trash.
std::vector<TrashDirectory> openTrashDirectories(const MountTable& mounts, const Mount& mount,
                                                 const std::string& homeTrash, uid_t uid);

}  // namespace tw::linux_platform
