#include "platform/linux/trash_layout.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>

namespace tw::linux_platform {

namespace {

std::size_t hashOf(std::string_view name) {
    return std::hash<std::string_view>{}(name);
}

}  // namespace

bool isTrashInfoRecord(const DirEntry& entry) {
    if (entry.type == DT_DIR) return false;
    const std::string_view name = entry.view();
    return name.size() >= kTrashInfoSuffix.size() &&
           name.substr(name.size() - kTrashInfoSuffix.size()) == kTrashInfoSuffix;
}

std::string trashInfoName(std::string_view item) {
    std::string name;
    name.reserve(item.size() + kTrashInfoSuffix.size());
    name.append(item).append(kTrashInfoSuffix);
    return name;
}

bool grantOwnerAccess(int parentFd, const char* name) {
    struct stat st;
    return ::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0 &&
           S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           ::fchmodat(parentFd, name, (st.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW) == 0;
}

int openOwnDirectory(int parentFd, const char* name) {
    int fd = ::openat(parentFd, name, kTrashDirFlags);
    if (fd >= 0 || errno != EACCES) return fd;
    if (!grantOwnerAccess(parentFd, name)) {
        errno = EACCES;
        return -1;
    }
    return ::openat(parentFd, name, kTrashDirFlags);
}

TrashItems::TrashItems(PackedEntries& files, PackedEntries& info) : info_(info) {
    std::size_t size = 16;
    while (size < 2 * info.count()) size *= 2;  // at most half full: short probe runs
    slots_.assign(size, 0);
    mask_ = size - 1;
    // Past 4 GiB of names records go unindexed: each then counts as an orphan, and an empty
    // removes such a record only once it has seen its item gone.
    const bool indexable = info.buffer().size() < UINT32_MAX;

    // A record names its item by its own name without the suffix.
    info.rewind();
    DirEntry e;
    while (info.next(e)) {
        if (!isTrashInfoRecord(e)) continue;
        info.setMark(e.at, kOrphan);
        ++orphans_;
        if (!indexable) continue;
        const std::string_view item = e.view().substr(0, e.view().size() - kTrashInfoSuffix.size());
        slots_[slotOf(item, hashOf(item))] = static_cast<std::uint32_t>(e.at + 1);
    }
    info.rewind();

    files.rewind();
    while (files.next(e)) {
        ++filesCount_;
        const std::size_t record = recordOf(e.view());
        if (record != npos && info.mark(record) == kOrphan) {
            info.setMark(record, kRecordOfAnItem);
            --orphans_;
        }
    }
    files.rewind();
}

std::size_t TrashItems::slotOf(std::string_view item, std::size_t hash) const {
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
        const std::uint32_t slot = slots_[i];
        if (slot == 0) return i;
        const char* name = info_.at(slot - 1).name;
        if (std::strncmp(name, item.data(), item.size()) == 0 &&
            std::strcmp(name + item.size(), kTrashInfoSuffix.data()) == 0) {
            return i;
        }
    }
}

std::size_t TrashItems::recordOf(std::string_view item) const {
    // Names hold no NUL, so strncmp over the item's length compares all of it.
    const std::uint32_t slot = slots_[slotOf(item, hashOf(item))];
    return slot == 0 ? npos : slot - 1;
}

}  // namespace tw::linux_platform
