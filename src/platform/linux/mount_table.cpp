#include "platform/linux/mount_table.h"

#include "platform/linux/drive_type.h"

namespace tw::linux_platform {

namespace {

bool mayEnter(const Mount& m) {
    if (m.pseudo) return m.entry.fsType != "autofs";  // entering autofs would mount a share
    switch (m.type) {
        case DriveType::Fixed:
        case DriveType::Removable:
        case DriveType::CdRom:
        case DriveType::RamDisk:
            return true;
        default:
            return false;
    }
}

std::string_view withoutTrailingSlash(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return path;
}

}  // namespace

MountTable MountTable::load(const std::string& mountInfoPath, const std::string& sysfsRoot) {
    std::vector<Mount> mounts;
    for (MountEntry& e : readMountInfo(mountInfoPath)) {
        Mount m;
        m.pseudo = isPseudoFileSystem(e.fsType);
        m.type = m.pseudo ? DriveType::Unknown : classifyMount(e, sysfsRoot);
        m.entry = std::move(e);
        mounts.push_back(std::move(m));
    }
    return MountTable(std::move(mounts));
}

std::vector<const Mount*> MountTable::drives() const {
    std::vector<const Mount*> out;
    for (const Mount& m : mounts_) {
        if (!m.pseudo) out.push_back(&m);
    }
    return out;
}

const Mount* MountTable::drive(std::string_view root) const {
    root = withoutTrailingSlash(root);
    for (const Mount& m : mounts_) {
        if (!m.pseudo && m.entry.mountPoint == root) return &m;
    }
    return nullptr;
}

const Mount* MountTable::containing(std::string_view path) const {
    const Mount* best = nullptr;
    for (const Mount& m : mounts_) {
        if (isUnderMountPoint(path, m.entry.mountPoint) &&
            (!best || m.entry.mountPoint.size() > best->entry.mountPoint.size())) {
            best = &m;
        }
    }
    return best;
}

bool MountTable::isLocalPath(std::string_view path) const {
    if (path.empty() || path[0] != '/' || !containing(path)) return false;
    for (const Mount& m : mounts_) {
        if (isUnderMountPoint(path, m.entry.mountPoint) && !mayEnter(m)) return false;
    }
    return true;
}

std::vector<std::string> MountTable::mountPointsBelow(std::string_view path) const {
    std::vector<std::string> below;
    for (const Mount& m : mounts_) {
        if (m.entry.mountPoint != path && isUnderMountPoint(m.entry.mountPoint, path)) {
            below.push_back(m.entry.mountPoint);
        }
    }
    return below;
}

bool holdsTrash(DriveType type) {
    return type == DriveType::Fixed || type == DriveType::Removable || type == DriveType::RamDisk;
}

}  // namespace tw::linux_platform
