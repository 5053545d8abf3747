#include "platform/linux/drive_type.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace tw::linux_platform {

namespace {

template <std::size_t N>
bool among(const std::string_view (&list)[N], std::string_view value) {
    return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

constexpr std::string_view kRamFs[] = {"tmpfs", "ramfs", "rootfs"};

// Optical media and read-only images: they can hold no trash of the user's.
constexpr std::string_view kReadOnlyMediaFs[] = {
    "iso9660", "udf", "squashfs", "erofs", "cramfs", "fuse.snapfuse", "fuse.squashfuse",
};

constexpr std::string_view kRemoteFs[] = {
    "nfs",   "nfs4",     "cifs",      "smb3",   "smbfs",  "ncpfs",    "ncp",   "9p",
    "afs",   "ceph",     "glusterfs", "lustre", "gpfs",   "orangefs", "pvfs2", "coda",
    "davfs", "virtiofs", "vboxsf",    "vmhgfs", "beegfs", "sshfs",    "ocfs2", "gfs2",
};

// Local file systems, on a block device or stacked on local directories.
constexpr std::string_view kLocalFs[] = {
    "ext2",          "ext3",           "ext4",       "xfs",        "btrfs",         "f2fs",
    "jfs",           "reiserfs",       "nilfs2",     "bcachefs",   "zfs",           "vfat",
    "msdos",         "exfat",          "ntfs",       "ntfs3",      "fuseblk",       "hfs",
    "hfsplus",       "apfs",           "ufs",        "minix",      "overlay",       "aufs",
    "ecryptfs",      "fuse.gocryptfs", "fuse.encfs", "fuse.cryfs", "fuse.mergerfs", "fuse.bindfs",
    "fuse.securefs",
};

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::string readFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

std::string baseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The kind of one device directory in sysfs (a disk, or a partition of one).
BlockKind classifyDeviceDir(const std::string& deviceDir, std::vector<std::string>& below) {
    std::string disk = deviceDir;
    if (exists(deviceDir + "/partition")) disk = deviceDir.substr(0, deviceDir.rfind('/'));
    const std::string name = baseName(disk);
    if (startsWith(name, "sr")) return BlockKind::Optical;
    if (startsWith(name, "zram") || startsWith(name, "ram")) return BlockKind::Ram;
    if (readFirstLine(disk + "/removable") == "1") return BlockKind::Removable;
    if (deviceDir.find("/usb") != std::string::npos) return BlockKind::Removable;
    if (startsWith(name, "mmcblk") && readFirstLine(disk + "/device/type") == "SD") {
        return BlockKind::Removable;
    }
    // A device-mapper or md device: the devices it is built on decide.
    for (const std::string& dir : {deviceDir + "/slaves", disk + "/slaves"}) {
        if (DIR* d = ::opendir(dir.c_str())) {
            while (dirent* e = ::readdir(d)) {
                if (e->d_name[0] == '.') continue;
                std::string slave = canonical(dir + "/" + e->d_name);
                if (!slave.empty()) below.push_back(slave);
            }
            ::closedir(d);
        }
    }
    return BlockKind::Fixed;
}

}  // namespace

BlockKind classifyBlockDevice(const std::string& sysfsRoot, unsigned major, unsigned minor) {
    if (major == 11) return BlockKind::Optical;  // SCSI CD-ROM
    std::string device =
        canonical(sysfsRoot + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor));
    if (device.empty()) return BlockKind::Unknown;

    // Walk the stack of devices (dm-crypt on LVM on a USB disk, ...); bounded against loops.
    std::vector<std::string> pending{device};
    for (int visited = 0; !pending.empty() && visited < 64; ++visited) {
        std::string dir = pending.back();
        pending.pop_back();
        BlockKind kind = classifyDeviceDir(dir, pending);
        if (kind != BlockKind::Fixed) {
            if (visited == 0 || kind == BlockKind::Removable) return kind;
        }
    }
    return BlockKind::Fixed;
}

bool isRemoteFileSystem(std::string_view fsType) {
    if (among(kRemoteFs, fsType)) return true;
    if (among(kLocalFs, fsType) || among(kReadOnlyMediaFs, fsType)) return false;
    return fsType == "fuse" || startsWith(fsType, "fuse.");
}

DriveType classifyMount(const MountEntry& mount, const std::string& sysfsRoot) {
    const std::string_view fs = mount.fsType;
    if (isPseudoFileSystem(fs)) return DriveType::Unknown;
    if (isRemoteFileSystem(fs)) return DriveType::Remote;
    if (among(kRamFs, fs)) return DriveType::RamDisk;
    if (among(kReadOnlyMediaFs, fs)) return DriveType::CdRom;

    unsigned major = mount.major;
    unsigned minor = mount.minor;
    if (major == 0 && startsWith(mount.source, "/dev/")) {
        // btrfs and a few others report an anonymous device; the /dev node names the real one.
        struct stat st;
        if (::stat(mount.source.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
            major = ::major(st.st_rdev);
            minor = ::minor(st.st_rdev);
        }
    }
    switch (major == 0 ? BlockKind::Unknown : classifyBlockDevice(sysfsRoot, major, minor)) {
        case BlockKind::Removable:
            return DriveType::Removable;
        case BlockKind::Optical:
            return DriveType::CdRom;
        case BlockKind::Ram:
            return DriveType::RamDisk;
        case BlockKind::Fixed:
            return DriveType::Fixed;
        case BlockKind::Unknown:
            break;
    }
    // No device to ask: a known local file system (overlay root of a container, zfs, ...) is a
    // fixed drive; anything else stays unknown and is never emptied.
    return among(kLocalFs, fs) ? DriveType::Fixed : DriveType::Unknown;
}

}  // namespace tw::linux_platform
