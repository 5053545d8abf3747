#pragma once

// Parsing /proc/self/mountinfo. Kept apart from the decisions made on mounts (mount_table.h),
// so that the kernel's text format, its escapes and its stacked mounts are handled in one place.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::linux_platform {

// One line of /proc/self/mountinfo, with the kernel's octal escapes decoded.
struct MountEntry {
    int id = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;        // the directory of the file system that is mounted
    std::string mountPoint;  // where it is mounted, as this process sees it
    std::string fsType;      // "ext4", "nfs4", "fuse.sshfs", ...
    std::string source;      // "/dev/sda1", "server:/export", ...
};

// Undoes the kernel's escaping of blank, tab, newline and backslash ("\040" and so on).
std::string decodeMountField(std::string_view field);

std::optional<MountEntry> parseMountInfoLine(std::string_view line);

// Every mount of the text, in the kernel's order. Malformed lines are skipped. A mount point
// mounted over again keeps only its topmost (last) mount, which is the one a path reaches.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// Reads and parses a mountinfo file; empty when it can't be read.
std::vector<MountEntry> readMountInfo(const std::string& path);

// Kernel and helper file systems that hold no user data (proc, sysfs, cgroup, ...).
bool isPseudoFileSystem(std::string_view fsType);

// True when `path` is `mountPoint` or lies below it (both absolute, without a trailing '/').
bool isUnderMountPoint(std::string_view path, std::string_view mountPoint);

}  // namespace tw::linux_platform
