#include "platform/linux/trash_remove.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/linux/trash_layout.h"

namespace tw::linux_platform {

namespace {

// Far fewer than any descriptor limit; deeper directories are reached again through "..".
constexpr std::size_t kMaxOpenDirs = 64;
constexpr unsigned kStatxWanted = STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_MNT_ID;

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
    return out;
}

bool TreeRemover::remove(int parentFd, const char* name, unsigned char type,
                         std::string_view parentPath, std::string_view shownName) {
    parentPath_ = parentPath;
    shownRoot_ = shownName.empty() ? std::string_view(name) : shownName;
    frames_.clear();
    if (type != DT_DIR) {
        if (::unlinkat(parentFd, name, 0) == 0 || errno == ENOENT) return true;
        if (errno != EISDIR) {
            log_.failure(pathOf(name), errno);
            return false;
        }
    }
    return removeDirectory(parentFd, name);
}

std::string TreeRemover::pathOf(std::string_view name) const {
    std::string path(parentPath_);
    for (const Frame& f : frames_) {
        path += '/';
        path += &f == &frames_.front() ? shownRoot_ : std::string_view(f.name);
    }
    path += '/';
    path += frames_.empty() ? shownRoot_ : name;
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
            if (::unlinkat(parentFd, name, 0) == 0 || errno == ENOENT) return Step::Gone;
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

bool TreeRemover::reopenParent(const Frame& child, Frame& parent) {
    UniqueFd fd(::openat(child.fd.get(), "..", kTrashDirFlags));
    struct stat st;
    if (fd && ::fstat(fd.get(), &st) == 0 && st.st_dev == parent.dev && st.st_ino == parent.ino) {
        parent.fd = std::move(fd);
        return true;
    }
    return false;
}

bool TreeRemover::removeDirectory(int rootParentFd, const char* rootName) {
    Step first = descend(rootParentFd, rootName);
    if (first != Step::Pushed) return first == Step::Gone;

    bool rootRemoved = true;
    while (!frames_.empty()) {
        DirEntry entry;
        if (frames_.back().entries.next(entry)) {
            const int dirFd = frames_.back().fd.get();
            if (entry.type != DT_DIR) {
                if (::unlinkat(dirFd, entry.name, 0) == 0 || errno == ENOENT) continue;
                if (errno != EISDIR) {
                    log_.failure(pathOf(entry.name), errno);
                    frames_.back().failed = true;
                    continue;
                }
            }
            if (descend(dirFd, entry.name) == Step::Failed) frames_.back().failed = true;
            continue;
        }

        // Every entry handled: remove the directory itself from its parent.
        Frame done = std::move(frames_.back());
        frames_.pop_back();
        int parentFd = rootParentFd;
        if (!frames_.empty()) {
            Frame& parent = frames_.back();
            if (!parent.fd && !reopenParent(done, parent)) {
                // Moved away while we worked below it: stop rather than guess where we are.
                log_.note(pathOf(done.name), "moved during removal, left alone");
                frames_.clear();
                return false;
            }
            parentFd = parent.fd.get();
        }
        done.fd.reset();
        bool removed = !done.failed;
        if (removed && ::unlinkat(parentFd, done.name.c_str(), AT_REMOVEDIR) != 0 &&
            errno != ENOENT) {
            log_.failure(pathOf(done.name), errno);
            removed = false;
        }
        if (!removed) {
            if (frames_.empty()) {
                rootRemoved = false;
            } else {
                frames_.back().failed = true;
            }
        }
    }
    return rootRemoved;
}

}  // namespace tw::linux_platform
