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

// Both passes below are hash-table work on tables and arenas of megabytes for a large trash:
// each name's slot (and, when looking up, its candidate record) is fetched some names ahead of
// its turn, so that memory latency overlaps instead of adding up.
TrashItems::TrashItems(PackedEntries& info) : info_(info) {
    std::size_t size = 16;
    while (size < 2 * info.count()) size *= 2;  // at most half full: short probe runs
    slots_.assign(size, 0);
    mask_ = size - 1;
    // Past 4 GiB of names records go unindexed: each then counts as an orphan, and an empty
    // removes such a record only once it has seen its item gone.
    const bool indexable = info.buffer().size() < UINT32_MAX;
    constexpr std::size_t kAhead = 16;  // about what it takes to hide a trip to memory

    // A record names its item by its own name without the suffix. Names in a directory are
    // unique, so a record takes the first free slot.
    struct Insert {
        std::uint64_t hash;
        std::size_t at;
    } inserts[kAhead];
    std::size_t queued = 0;
    auto insert = [&](const Insert& r) {
        std::size_t i = r.hash & mask_;
        while (slots_[i] != 0) i = (i + 1) & mask_;
        slots_[i] = (r.hash & kFingerprint) | (r.at + 1);
    };
    info.rewind();
    DirEntry e;
    while (info.next(e)) {
        if (!isTrashInfoRecord(e)) continue;
        info.setMark(e.at, kOrphan);
        ++orphans_;
        if (!indexable) continue;
        Insert& r = inserts[queued++ % kAhead];
        if (queued > kAhead) insert(r);
        r = {hashOf(e.view().substr(0, e.view().size() - kTrashInfoSuffix.size())), e.at};
        __builtin_prefetch(&slots_[r.hash & mask_], 1);
    }
    for (std::size_t i = queued > kAhead ? queued - kAhead : 0; i < queued; ++i) {
        insert(inserts[i % kAhead]);
    }
    info.rewind();
}

void TrashItems::addItems(PackedEntries& files) {
    constexpr std::size_t kAhead = 16;
    PackedEntries& info = info_;
    DirEntry e;
    // Each name of files/ goes through two stages: its slot is fetched, then the record its
    // fingerprint points at; the names are compared last.
    struct Lookup {
        std::string_view name;
        std::uint64_t hash;
        std::size_t candidate;
    } slotStage[kAhead], recordStage[kAhead];
    std::size_t inSlotStage = 0, inRecordStage = 0;
    auto settle = [&](const Lookup& l) {
        std::size_t record = npos;
        if (l.candidate != npos && matches(l.candidate, l.name)) {
            record = l.candidate;
        } else if (l.candidate != npos) {
            record = find(l.name, l.hash);  // a fingerprint shared by another record
        }
        if (record != npos && info.mark(record) == kOrphan) {
            info.setMark(record, kRecordOfAnItem);
            --orphans_;
        }
    };
    auto advance = [&](Lookup l) {
        l.candidate = candidate(l.hash);
        if (l.candidate != npos) __builtin_prefetch(info.buffer().data() + l.candidate);
        Lookup& r = recordStage[inRecordStage++ % kAhead];
        if (inRecordStage > kAhead) settle(r);
        r = l;
    };
    files.rewind();
    while (files.next(e)) {
        ++filesCount_;
        Lookup& l = slotStage[inSlotStage++ % kAhead];
        if (inSlotStage > kAhead) advance(l);
        l = {e.view(), hashOf(e.view()), npos};
        __builtin_prefetch(&slots_[l.hash & mask_]);
    }
    for (std::size_t i = inSlotStage > kAhead ? inSlotStage - kAhead : 0; i < inSlotStage; ++i) {
        advance(slotStage[i % kAhead]);
    }
    for (std::size_t i = inRecordStage > kAhead ? inRecordStage - kAhead : 0; i < inRecordStage;
         ++i) {
        settle(recordStage[i % kAhead]);
    }
    files.rewind();
}

std::size_t TrashItems::candidate(std::uint64_t hash) const {
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
        const std::uint64_t slot = slots_[i];
        if (slot == 0) return npos;
        if ((slot & kFingerprint) == (hash & kFingerprint)) {
            return static_cast<std::size_t>(slot & ~kFingerprint) - 1;
        }
    }
}

bool TrashItems::matches(std::size_t record, std::string_view item) const {
    // Names hold no NUL, so strncmp over the item's length compares all of it.
    const char* name = info_.at(record).name;
    return std::strncmp(name, item.data(), item.size()) == 0 &&
           std::strcmp(name + item.size(), kTrashInfoSuffix.data()) == 0;
}

std::size_t TrashItems::find(std::string_view item, std::uint64_t hash) const {
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
        const std::uint64_t slot = slots_[i];
        if (slot == 0) return npos;
        const std::size_t at = static_cast<std::size_t>(slot & ~kFingerprint) - 1;
        if ((slot & kFingerprint) == (hash & kFingerprint) && matches(at, item)) return at;
    }
}

std::size_t TrashItems::recordOf(std::string_view item) const {
    return find(item, hashOf(item));
}

}  // namespace tw::linux_platform
