#include "platform/linux/trash_dirs.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/linux/safe_path.h"
#include "platform/linux/trash_layout.h"

namespace tw::linux_platform {

namespace {

std::string join(std::string_view dir, std::string_view name) {
    std::string path(dir);
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

void add(std::vector<TrashDirectory>& out, std::string path, UniqueFd fd, const struct stat& st,
         int error = 0) {
    const bool seen = std::any_of(out.begin(), out.end(), [&](const TrashDirectory& t) {
        return t.dev == st.st_dev && t.ino == st.st_ino;
    });
    if (!seen) out.push_back({std::move(path), std::move(fd), st.st_dev, st.st_ino, error});
}

// Opens the trash directory `name` of `parentFd` when it is a real directory owned by `uid`.
// One that is the user's but can't be opened is added with its error.
void addOwnTrash(int parentFd, const char* name, uid_t uid, std::string path,
                 std::vector<TrashDirectory>& out) {
    UniqueFd fd(openOwnDirectory(parentFd, name));
    const int error = fd ? 0 : errno;
    struct stat st;
    if (fd ? ::fstat(fd.get(), &st) != 0
           : error == ENOENT || ::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != uid) return;
    add(out, std::move(path), std::move(fd), st, error);
}

void addHomeTrash(const MountTable& mounts, const Mount& mount, const std::string& homeTrash,
                  std::vector<TrashDirectory>& out) {
    if (homeTrash.empty()) return;
    std::optional<std::string> resolved = resolveLocalPath(homeTrash, mounts);
    if (!resolved) return;
    const Mount* on = mounts.containing(*resolved);
    if (!on || on->entry.mountPoint != mount.entry.mountPoint) return;
    const std::size_t slash = resolved->rfind('/');
    const std::string parent = slash == 0 ? "/" : resolved->substr(0, slash);
    const std::string name = resolved->substr(slash + 1);
    UniqueFd parentFd(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // The home trash is the user's by where it is, whoever owns it.
    UniqueFd fd(parentFd ? openOwnDirectory(parentFd.get(), name.c_str()) : -1);
    const int error = fd ? 0 : errno;
    struct stat st;
    if (fd ? ::fstat(fd.get(), &st) == 0
           : error != ENOENT && parentFd &&
                 ::fstatat(parentFd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                 S_ISDIR(st.st_mode)) {
        add(out, *resolved, std::move(fd), st, error);
    }
}

void addTopDirTrashes(const Mount& mount, uid_t uid, std::vector<TrashDirectory>& out) {
    const std::string& top = mount.entry.mountPoint;
    UniqueFd topFd(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!topFd) return;
    const std::string uidText = std::to_string(uid);
    struct stat st;

    UniqueFd shared(::openat(topFd.get(), ".Trash", kTrashDirFlags));
    if (shared && ::fstat(shared.get(), &st) == 0 && (st.st_mode & S_ISVTX)) {
        // Anyone may create entries in the shared directory: only our own counts as ours.
        addOwnTrash(shared.get(), uidText.c_str(), uid, join(top, ".Trash/" + uidText), out);
    }
    const std::string own = ".Trash-" + uidText;
    addOwnTrash(topFd.get(), own.c_str(), uid, join(top, own), out);
}

}  // namespace

std::string homeTrashPath(std::string_view home, std::string_view xdgDataHome) {
    if (!xdgDataHome.empty() && xdgDataHome[0] == '/') return join(xdgDataHome, "Trash");
    if (!home.empty() && home[0] == '/') return join(home, ".local/share/Trash");
    return {};
}

std::vector<TrashDirectory> openTrashDirectories(const MountTable& mounts, const Mount& mount,
                                                 const std::string& homeTrash, uid_t uid) {
    std::vector<TrashDirectory> out;
    if (!holdsTrash(mount.type) || !mounts.isLocalPath(mount.entry.mountPoint)) return out;
    addHomeTrash(mounts, mount, homeTrash, out);
    addTopDirTrashes(mount, uid, out);
    return out;
}

}  // namespace tw::linux_platform
