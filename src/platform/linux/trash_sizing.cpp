#include "platform/linux/trash_sizing.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <unordered_set>
#include <vector>

#include "platform/linux/deletion_date.h"
#include "platform/linux/dir_entries.h"
#include "platform/linux/empty_start.h"
#include "platform/linux/trash_info.h"
#include "platform/linux/trash_layout.h"
#include "platform/linux/unique_fd.h"

namespace tw::linux_platform {

namespace {

constexpr std::int64_t kNoDate = std::numeric_limits<std::int64_t>::min();
// Far fewer than any descriptor limit; a deeper level is reached again through "..", checked
// to be the very folder it left.
constexpr std::size_t kMaxOpenDirs = 64;
constexpr unsigned kWanted = STATX_TYPE | STATX_INO | STATX_NLINK | STATX_BLOCKS | STATX_MNT_ID;

bool onScope(const struct statx& sx, const RemoveScope& scope) {
    if (scope.hasMountId && (sx.stx_mask & STATX_MNT_ID)) return sx.stx_mnt_id == scope.mountId;
    return makedev(sx.stx_dev_major, sx.stx_dev_minor) == scope.dev;
}

struct Level {
    UniqueFd fd;
    ino_t ino = 0;
    PackedEntries entries;
};

// Opens the folder `name` of `parentFd` and lists it; false when it is no folder of the scope
// or can't be read (`complete` then says whether that leaves something uncounted).
bool enter(int parentFd, const char* name, const RemoveScope& scope, Level& level,
           std::uint64_t& bytes, bool& complete) {
    level.fd.reset(::openat(parentFd, name, kTrashDirFlags));
    struct statx sx;
    if (!level.fd || ::statx(level.fd.get(), "", AT_EMPTY_PATH, kWanted, &sx) != 0) {
        complete &= errno == ENOENT;
        return false;
    }
    if (!onScope(sx, scope)) return false;  // a mount inside: not the trash's to count
    bytes += static_cast<std::uint64_t>(sx.stx_blocks) * 512;
    level.ino = sx.stx_ino;
    if (listDirectory(level.fd.get(), level.entries) != 0) {
        complete = false;
        return false;
    }
    return true;
}

}  // namespace

bool changeTimesTell(int fd) {
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0) return false;
    const auto type = static_cast<unsigned long>(fs.f_type);
    return type != MSDOS_SUPER_MAGIC && type != EXFAT_SUPER_MAGIC && type != FUSE_SUPER_MAGIC;
}

std::optional<std::int64_t> deletionMoment(std::int64_t date, const struct stat* record) {
    if (!record) return std::nullopt;
    return std::max(date, nanoseconds(record->st_mtim));
}

TreeBytes measureTree(int parentFd, const char* name, const RemoveScope& scope) {
    TreeBytes out;
    std::vector<Level> levels(1);
    if (!enter(parentFd, name, scope, levels.back(), out.bytes, out.complete)) return out;
    std::unordered_set<ino_t> linked;  // files of several names, counted once
    DirEntry e;
    while (!levels.empty()) {
        Level& level = levels.back();
        if (!level.entries.next(e)) {
            const UniqueFd done = std::move(level.fd);
            levels.pop_back();
            if (levels.empty() || levels.back().fd) continue;
            // Closed on the way down: opened again from below, and only when it still is the
            // folder that was left.
            Level& above = levels.back();
            above.fd.reset(::openat(done.get(), "..", kTrashDirFlags));
            struct stat st;
            if (!above.fd || ::fstat(above.fd.get(), &st) != 0 || st.st_ino != above.ino) {
                out.complete = false;
                break;
            }
            continue;
        }
        struct statx sx;
        // The listing tells a folder; anything else is looked at for its blocks.
        if (e.type != DT_DIR && ::statx(level.fd.get(), e.name,
                                        AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kWanted, &sx) != 0) {
            out.complete &= errno == ENOENT;  // gone meanwhile: nothing to count
            continue;
        }
        if (e.type == DT_DIR || S_ISDIR(sx.stx_mode)) {
            Level below;
            if (!enter(level.fd.get(), e.name, scope, below, out.bytes, out.complete)) continue;
            if (levels.size() >= kMaxOpenDirs) levels[levels.size() - kMaxOpenDirs].fd.reset();
            levels.push_back(std::move(below));
            continue;
        }
        if (sx.stx_nlink > 1 && !linked.insert(sx.stx_ino).second) continue;
        out.bytes += static_cast<std::uint64_t>(sx.stx_blocks) * 512;
    }
    return out;
}

std::uint64_t fileSystemBytes(int fd) {
    struct statvfs fs;
    if (::fstatvfs(fd, &fs) != 0) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(fs.f_blocks) * fs.f_frsize;
}

FolderSizes::FolderSizes(int trashFd, const RemoveScope& scope, const DirectorySizes* remembered)
    : scope_(scope),
      cache_(DirectorySizes::load(trashFd, fileSystemBytes(trashFd))),
      remembered_(remembered) {}

std::uint64_t FolderSizes::folderBytes(int filesFd, const char* name,
                                       std::optional<std::int64_t> recordMtime) {
    if (recordMtime) {
        std::optional<std::uint64_t> known = cache_.find(name, *recordMtime);
        if (!known && remembered_) known = remembered_->find(name, *recordMtime);
        if (known) {
            if (!cache_.usable()) used_.add(name, *known, *recordMtime);
            return *known;
        }
    }
    const TreeBytes tree = measureTree(filesFd, name, scope_);
    if (!tree.complete) {
        // Counted as far as it could be read, and measured again next time.
        if (incomplete_.empty()) {
            incomplete_ = std::string("files/") + printable(name) + ": could not be measured whole";
        }
        return tree.bytes;
    }
    if (recordMtime) {
        cache_.add(name, tree.bytes, *recordMtime);
        if (!cache_.usable()) used_.add(name, tree.bytes, *recordMtime);
    }
    return tree.bytes;
}

std::string FolderSizes::finish(int trashFd, DirectorySizes* used) {
    std::string why = cache_.usable() ? cache_.save(trashFd) : cache_.error();
    if (used) *used = std::move(used_);
    if (why.empty()) why = incomplete_;
    return why;
}

void measureTrashDirectory(int trashFd, const std::string& trashPath, std::int64_t keepSeconds,
                           const EmptyStart& start, const DirectorySizes* remembered,
                           DirectorySizes& used, TrashMeasure& out) {
    const auto fail = [&](const std::string& why) {
        if (!out.error.empty()) out.error += "; ";
        out.error += printable(trashPath) + ": " + why;
    };
    const std::optional<RemoveScope> scope = scopeOf(trashFd);
    UniqueFd files(::openat(trashFd, kTrashFiles, kTrashDirFlags));
    if (!scope || !files) {
        if (scope && errno == ENOENT) return;  // nothing trashed here yet
        fail(std::strerror(errno));
        return;
    }
    UniqueFd info(::openat(trashFd, kTrashInfo, kTrashDirFlags));
    const bool ctimeTells = keepSeconds > 0 && changeTimesTell(trashFd);
    FolderSizes folders(trashFd, *scope, remembered);
    TrashInfoReader reader;
    PackedEntries batch;
    std::string record;
    const int error = listDirectoryInBatches(files.get(), batch, [&](PackedEntries& b) {
        DirEntry e;
        while (b.next(e)) {
            struct stat st;
            // A folder is sized by its line, which its record keys: the folder needs no look.
            // Anything else gone since it was listed (an empty may be running) counts nothing.
            const bool listedFolder = e.type == DT_DIR;
            if (!listedFolder && ::fstatat(files.get(), e.name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;
            }
            const bool folder = listedFolder || S_ISDIR(st.st_mode);
            std::int64_t date = std::numeric_limits<std::int64_t>::min();
            struct stat recordSt;
            bool recordSeen = false;
            if (info && (keepSeconds > 0 || folder)) {
                record.assign(e.name).append(kTrashInfoSuffix);
                if (keepSeconds > 0 && reader.read(info.get(), record.c_str(), &recordSt)) {
                    recordSeen = true;
                    if (auto parsed = parseDeletionDate(reader.value("DeletionDate")))
                        date = *parsed;
                } else {
                    recordSeen = ::fstatat(info.get(), record.c_str(), &recordSt,
                                           AT_SYMLINK_NOFOLLOW) == 0 &&
                                 S_ISREG(recordSt.st_mode);
                }
            }
            const std::uint64_t bytes =
                folder ? folders.folderBytes(
                             files.get(), e.name,
                             recordSeen ? std::optional<std::int64_t>(recordSt.st_mtim.tv_sec)
                                        : std::nullopt)
                       : allocatedBytes(st);
            auto deleted = deletionMoment(date, recordSeen ? &recordSt : nullptr);
            // Without a record a floored empty dates an item by when it was moved in, where
            // the file system tells that; so does the measure, to say what that empty will do.
            if (!deleted && ctimeTells &&
                (!listedFolder || ::fstatat(files.get(), e.name, &st, AT_SYMLINK_NOFOLLOW) == 0)) {
                deleted = nanoseconds(st.st_ctim);
            }
            if (keepSeconds <= 0 || (deleted && start.deletedAtLeast(*deleted, keepSeconds))) {
                ++out.oldItems;
                out.oldBytes += bytes;
            } else if (deleted) {
                ++out.recentItems;
                out.recentBytes += bytes;
            } else {
                ++out.unknownItems;
                out.unknownBytes += bytes;
            }
        }
    });
    if (error) fail(std::string("files/: ") + std::strerror(error));
    if (std::string why = folders.finish(trashFd, &used); !why.empty()) fail(why);
}

}  // namespace tw::linux_platform
