#include "platform/linux/trash_remove.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>

#include "platform/linux/trash_layout.h"

namespace tw::linux_platform {

namespace {

// Far fewer than any descriptor limit; deeper directories are reached again by name from the
// root's parent (see firstMovedFrame), never through "..", which a move would redirect.
constexpr std::size_t kMaxOpenDirs = 64;
// Levels reopened that way: listed already, so a path descriptor does, without read permission.
constexpr int kPassFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr unsigned kStatxWanted =
    STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_MNT_ID | STATX_BLOCKS;

std::uint64_t allocatedOf(const struct statx& sx) {
    return (sx.stx_mask & STATX_BLOCKS) ? sx.stx_blocks * 512 : 0;
}

bool onScope(const struct statx& sx, const RemoveScope& scope) {
    if (scope.hasMountId && (sx.stx_mask & STATX_MNT_ID)) return sx.stx_mnt_id == scope.mountId;
    return makedev(sx.stx_dev_major, sx.stx_dev_minor) == scope.dev;
}

// A directory of ours without read or search permission can't be opened: grant it to us.
bool makeOpenable(int parentFd, const char* name, const RemoveScope& scope) {
    struct statx sx;
    if (::statx(parentFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxWanted, &sx) != 0) {
        return false;
    }
    if (!S_ISDIR(sx.stx_mode) || sx.stx_uid != ::geteuid() || !onScope(sx, scope)) return false;
    return ::fchmodat(parentFd, name, (sx.stx_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW) == 0;
}

// The kernel's name for what `fd` is open on; empty when it gives none.
std::string descriptorPath(int fd) {
    char link[32];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    std::string path(PATH_MAX, '\0');
    const ssize_t got = ::readlink(link, path.data(), path.size());
    if (got <= 0 || static_cast<std::size_t>(got) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(got));
    return path;
}

}  // namespace

std::optional<RemoveScope> scopeOf(int dirFd) {
    struct statx sx;
    if (::statx(dirFd, "", AT_EMPTY_PATH, kStatxWanted, &sx) != 0) return std::nullopt;
    RemoveScope scope;
    scope.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    scope.hasMountId = (sx.stx_mask & STATX_MNT_ID) != 0;
    scope.mountId = sx.stx_mnt_id;
    return scope;
}

OpenedDirectory openDirectoryForRemoval(int parentFd, const char* name, const RemoveScope& scope) {
    OpenedDirectory out;
    int fd = ::openat(parentFd, name, kTrashDirFlags);
    if (fd < 0 && errno == EACCES && makeOpenable(parentFd, name, scope)) {
        fd = ::openat(parentFd, name, kTrashDirFlags);
    }
    if (fd < 0) {
        out.error = errno;
        out.status = errno == ENOENT                      ? OpenStatus::Missing
                     : errno == ENOTDIR || errno == ELOOP ? OpenStatus::NotDirectory
                                                          : OpenStatus::Failed;
        return out;
    }
    out.fd.reset(fd);
    struct statx sx;
    if (::statx(fd, "", AT_EMPTY_PATH, kStatxWanted, &sx) != 0) {
        out.error = errno;
        out.fd.reset();
        return out;
    }
    if (!onScope(sx, scope)) {
        out.status = OpenStatus::OtherFileSystem;
        out.fd.reset();
        return out;
    }
    // Entries can only be removed from a directory we may write and search.
    if (sx.stx_uid == ::geteuid() && (sx.stx_mode & S_IRWXU) != S_IRWXU) {
        ::fchmod(fd, (sx.stx_mode & 07777) | S_IRWXU);
    }
    out.status = OpenStatus::Opened;
    out.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    out.ino = sx.stx_ino;
    out.allocated = allocatedOf(sx);
    return out;
}

bool TreeRemover::remove(int parentFd, const char* name, unsigned char type,
                         std::string_view parentPath, std::string_view shownName) {
    parentPath_ = parentPath;
    shownRoot_ = shownName.empty() ? std::string_view(name) : shownName;
    frames_.clear();
    tally_ = {};
    if (type != DT_DIR) {
        if (unlinkWeighed(parentFd, name) || errno == ENOENT) return true;
        if (errno != EISDIR) {
            log_.failure(pathOf(name), errno);
            return false;
        }
    }
    return removeDirectory(parentFd, name);
}

// A file's blocks come free when its last name goes; one of several names frees nothing. Read
// right before the unlink, so that of two names in one tree the second counts. The one look
// the walk takes at a file: the listing tells its type already.
bool TreeRemover::unlinkWeighed(int dirFd, const char* name) {
    constexpr unsigned kWeight = STATX_NLINK | STATX_BLOCKS;
    struct statx sx;
    const bool weighed =
        ::statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, kWeight,
                &sx) == 0 &&
        (sx.stx_mask & kWeight) == kWeight;
    if (::unlinkat(dirFd, name, 0) != 0) return false;
    if (weighed && sx.stx_nlink == 1) tally_.freed += allocatedOf(sx);
    return true;
}

std::string TreeRemover::pathOf(std::string_view name, std::size_t depth) const {
    std::string path(parentPath_);
    for (std::size_t i = 0; i < depth; ++i) {
        path += '/';
        path += i == 0 ? shownRoot_ : std::string_view(frames_[i].name);
    }
    path += '/';
    path += depth == 0 ? shownRoot_ : name;
    return path;
}

TreeRemover::Step TreeRemover::descend(int parentFd, const char* name) {
    if (!scope_.fencedMountPoints.empty()) {
        std::string path = pathOf(name);
        if (std::find(scope_.fencedMountPoints.begin(), scope_.fencedMountPoints.end(), path) !=
            scope_.fencedMountPoints.end()) {
            log_.note(path, "a mount point, left alone");
            return Step::Failed;
        }
    }
    OpenedDirectory dir = openDirectoryForRemoval(parentFd, name, scope_);
    switch (dir.status) {
        case OpenStatus::Opened:
            break;
        case OpenStatus::Missing:
            return Step::Gone;
        case OpenStatus::NotDirectory:
            // Listed as a directory, now a file or a link: remove that, never what it points to.
            if (unlinkWeighed(parentFd, name) || errno == ENOENT) return Step::Gone;
            log_.failure(pathOf(name), errno);
            return Step::Failed;
        case OpenStatus::OtherFileSystem:
            log_.note(pathOf(name), "a mount point, left alone");
            return Step::Failed;
        case OpenStatus::Failed:
            log_.failure(pathOf(name), dir.error);
            return Step::Failed;
    }
    Frame frame;
    frame.fd = std::move(dir.fd);
    frame.dev = dir.dev;
    frame.ino = dir.ino;
    frame.allocated = dir.allocated;
    frame.name = name;
    if (int error = listDirectory(frame.fd.get(), frame.entries)) {
        log_.failure(pathOf(name), error);
        frame.entries.clear();
        frame.failed = true;
    } else if (inodeOrderHelps(frame.fd.get(), frame.entries.count())) {
        frame.entries.sortByInode();
    }
    // `name` may point into the parent's listing, which moves with this push: not used after.
    frames_.push_back(std::move(frame));
    if (frames_.size() > kMaxOpenDirs) frames_[frames_.size() - 1 - kMaxOpenDirs].fd.reset();
    return Step::Pushed;
}

// Called before each removal; checks once a batch. The kernel tells in a call or two that the
// directory in hand is in place; only where it can't, or it is not, are the levels looked at one
// by one.
bool TreeRemover::inPlaceForNextRemoval() {
    if (++sinceCheck_ <= kBatch) return true;
    sinceCheck_ = 1;
    if (!deepestInPlace()) {
        const std::size_t moved = firstMovedFrame();
        if (moved < frames_.size()) {
            leaveMoved(moved);
            return false;
        }
    }
    if (beforeBatch_) beforeBatch_(pathOf(frames_.back().name, frames_.size() - 1));
    return true;
}

// Whether the frames' names, followed from the root's parent, lead to the deepest directory of
// the walk: it then lies in the root's parent still, wherever the levels above it are. The
// kernel follows them, a path's length at a time, never out of the root's parent (a link to
// where a level went is refused). False when that can't be told (no openat2, a name that moved).
bool TreeRemover::deepestInPlace() const {
    int base = rootParentFd_;
    UniqueFd reached;
    for (std::size_t from = 0; from < frames_.size();) {
        std::string path;
        std::size_t to = from;
        while (to < frames_.size() && path.size() + frames_[to].name.size() + 1 < PATH_MAX) {
            if (to > from) path += '/';
            path += frames_[to++].name;
        }
        struct open_how how = {};
        how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
        how.resolve = RESOLVE_BENEATH;
        UniqueFd next(
            static_cast<int>(::syscall(SYS_openat2, base, path.c_str(), &how, sizeof how)));
        struct stat st;
        if (!next || ::fstat(next.get(), &st) != 0 || st.st_dev != frames_[to - 1].dev ||
            st.st_ino != frames_[to - 1].ino) {
            return false;
        }
        reached = std::move(next);
        base = reached.get();
        from = to;
    }
    return true;
}

// Goes down the frames' names from the root's parent, never through a link, and compares what
// each name holds with the directory the walk holds at that level. Levels whose descriptors a
// deep walk closed are opened again on the way (the deepest kMaxOpenDirs stay open: they are
// the next to be needed). frames_.size() when every level is in place, else the first that is
// not; the level above that one is left open.
std::size_t TreeRemover::firstMovedFrame() {
    const std::size_t keepFrom = frames_.size() > kMaxOpenDirs ? frames_.size() - kMaxOpenDirs : 0;
    int base = rootParentFd_;
    UniqueFd passing;  // the level just passed through, when it is not kept open
    for (std::size_t i = 0; i < frames_.size(); ++i) {
        Frame& frame = frames_[i];
        UniqueFd reopened;
        if (!frame.fd) reopened.reset(::openat(base, frame.name.c_str(), kPassFlags));
        struct stat st;
        const bool found = frame.fd
                               ? ::fstatat(base, frame.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
                               : reopened && ::fstat(reopened.get(), &st) == 0;
        if (!found || st.st_dev != frame.dev || st.st_ino != frame.ino) {
            if (i > 0 && !frames_[i - 1].fd) frames_[i - 1].fd = std::move(passing);
            return i;
        }
        if (!frame.fd) (i >= keepFrom ? frame.fd : passing) = std::move(reopened);
        base = frame.fd ? frame.fd.get() : passing.get();
    }
    return frames_.size();
}

// Where frames_[frame] lies now: the kernel's name for it, reached from the deepest descriptor
// the walk holds at or below it, and only when that path leads to the very directory. Empty
// when that can't be told.
std::string TreeRemover::presentPath(std::size_t frame) const {
    std::size_t held = frames_.size() - 1;
    while (held > frame && !frames_[held].fd) --held;
    if (!frames_[held].fd) return {};
    // Up to the level itself (a deep walk closed its descriptor, and the kernel names no path
    // longer than PATH_MAX); where ".." led is checked below.
    UniqueFd climbed;
    int fd = frames_[held].fd.get();
    for (std::size_t i = held; i > frame; --i) {
        climbed.reset(::openat(fd, "..", kPassFlags));
        if (!climbed) return {};
        fd = climbed.get();
    }
    const std::string path = descriptorPath(fd);
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || st.st_dev != frames_[frame].dev ||
        st.st_ino != frames_[frame].ino) {
        return {};
    }
    return path;
}

// Drops frames_[moved] and all below it from the walk: moved elsewhere, none of it is ours.
void TreeRemover::leaveMoved(std::size_t moved) {
    const std::string now = presentPath(moved);
    const std::string name = std::move(frames_[moved].name);
    frames_.erase(frames_.begin() + static_cast<std::ptrdiff_t>(moved), frames_.end());
    if (!now.empty()) {
        log_.note(now, "moved during removal, left alone");
    } else {
        log_.note(pathOf(name), "moved away during removal, left alone wherever it went");
    }
    if (frames_.empty()) {
        rootMoved_ = true;
    } else {
        frames_.back().failed = true;
        ++tally_.left;
    }
}

bool TreeRemover::removeDirectory(int rootParentFd, const char* rootName) {
    rootParentFd_ = rootParentFd;
    rootMoved_ = false;
    sinceCheck_ = kBatch;  // the first removal begins a batch
    Step first = descend(rootParentFd, rootName);
    if (first != Step::Pushed) return first == Step::Gone;

    bool rootRemoved = true;
    while (!frames_.empty()) {
        DirEntry entry;
        if (frames_.back().entries.next(entry)) {
            if (!inPlaceForNextRemoval()) continue;
            const int dirFd = frames_.back().fd.get();
            if (entry.type != DT_DIR) {
                if (unlinkWeighed(dirFd, entry.name)) {
                    ++tally_.removed;
                    continue;
                }
                if (errno == ENOENT) continue;
                if (errno != EISDIR) {
                    log_.failure(pathOf(entry.name), errno);
                    frames_.back().failed = true;
                    ++tally_.left;
                    continue;
                }
            }
            if (descend(dirFd, entry.name) == Step::Failed) {
                frames_.back().failed = true;
                ++tally_.left;
            }
            continue;
        }

        // Every entry handled: remove the directory itself from its parent.
        Frame done = std::move(frames_.back());
        frames_.pop_back();
        done.fd.reset();
        int parentFd = rootParentFd;
        if (!frames_.empty()) {
            // A deep walk closed the parent's descriptor: reach it again from the root's parent.
            if (!frames_.back().fd) {
                const std::size_t moved = firstMovedFrame();
                if (moved < frames_.size()) {
                    leaveMoved(moved);
                    continue;
                }
            }
            if (!inPlaceForNextRemoval()) continue;
            parentFd = frames_.back().fd.get();
        }
        bool removed = !done.failed;
        if (removed && ::unlinkat(parentFd, done.name.c_str(), AT_REMOVEDIR) == 0) {
            tally_.freed += done.allocated;
        } else if (removed && errno != ENOENT) {
            log_.failure(pathOf(done.name), errno);
            removed = false;
        }
        if (!removed) {
            if (frames_.empty()) {
                rootRemoved = false;
            } else {
                frames_.back().failed = true;
                ++tally_.left;
            }
        } else if (!frames_.empty()) {
            ++tally_.removed;
        }
    }
    return rootRemoved && !rootMoved_;
}

}  // namespace tw::linux_platform
