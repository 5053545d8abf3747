#pragma once

// The mounts as drives, read once from mountinfo per drive walk, so that the drive list, the
// mount of each trash and the fences around mounts below a trash all come from one reading, and
// a path on a remote or automounted file system is known as such before anything looks it up.

#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/mounts.h"
#include "platform/services/recycle_bin_shell.h"

namespace tw::linux_platform {

struct Mount {
    MountEntry entry;
    DriveType type = DriveType::Unknown;
    bool pseudo = false;  // a kernel file system that is not offered as a drive
};

// The mounts of this process with their drive types, as read once from mountinfo.
class MountTable {
  public:
    MountTable() = default;
    explicit MountTable(std::vector<Mount> mounts) : mounts_(std::move(mounts)) {}
    static MountTable load(const std::string& mountInfoPath, const std::string& sysfsRoot);

    // The mounts offered as drives, in the kernel's order.
    std::vector<const Mount*> drives() const;
    // The drive whose mount point is `root` (a trailing '/' is ignored); null when none.
    const Mount* drive(std::string_view root) const;
    // The mount a lexically absolute path lies on (longest mount point that is a prefix).
    const Mount* containing(std::string_view path) const;
    // True when looking `path` up touches only file systems that can't hang: every mount
    // whose mount point is the path or one of its ancestors is local. Remote, unknown and
    // automount points are never entered.
    bool isLocalPath(std::string_view path) const;
    // Mount points strictly below the directory `path`.
    std::vector<std::string> mountPointsBelow(std::string_view path) const;

  private:
    std::vector<Mount> mounts_;
};

// Drive types whose trash Tidewell counts and empties: local, writable media.
bool holdsTrash(DriveType type);

}  // namespace tw::linux_platform
