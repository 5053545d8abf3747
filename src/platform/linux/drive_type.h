#pragma once

// The drive types of the recycle-bin shell on Linux. A Windows drive says whether it is fixed,
// removable, remote or optical; a mount does not, so the type is worked out from the file-system
// type and the device's description in sysfs, without touching the mount, since the type
// decides whether a trash is counted and emptied at all.

#include <string>
#include <string_view>

#include "platform/linux/mounts.h"
#include "platform/services/recycle_bin_shell.h"

namespace tw::linux_platform {

// What kind of device a block device is, as sysfs describes it.
enum class BlockKind { Unknown, Fixed, Removable, Optical, Ram };

// Looks the device major:minor up under `sysfsRoot` (normally "/sys"): removable media,
// anything attached through USB and SD cards count as removable; a device-mapper or md device
// is removable when one of the devices under it is.
BlockKind classifyBlockDevice(const std::string& sysfsRoot, unsigned major, unsigned minor);

// Network and host-shared file systems. A FUSE file system counts as remote unless it is one
// known to be a local layer, since an unknown one may hang like a network share.
bool isRemoteFileSystem(std::string_view fsType);

// The drive type of a mount, decided from its file-system type first and its block device
// second. Reads only sysfs (and for a device-less block file system the /dev node named as its
// source): never anything on the mount itself.
DriveType classifyMount(const MountEntry& mount, const std::string& sysfsRoot);

}  // namespace tw::linux_platform
