#include "platform/linux/trash_dirs.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/linux/safe_path.h"

namespace tw::linux_platform {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::string join(std::string_view dir, std::string_view name) {
    std::string path(dir);
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

void add(std::vector<TrashDirectory>& out, std::string path, UniqueFd fd, const struct stat& st) {
    const bool seen = std::any_of(out.begin(), out.end(), [&](const TrashDirectory& t) {
        return t.dev == st.st_dev && t.ino == st.st_ino;
    });
    if (!seen) out.push_back({std::move(path), std::move(fd), st.st_dev, st.st_ino});
}

void addHomeTrash(const MountTable& mounts, const Mount& mount, const std::string& homeTrash,
                  std::vector<TrashDirectory>& out) {
    if (homeTrash.empty()) return;
    std::optional<std::string> resolved = resolveLocalPath(homeTrash, mounts);
    if (!resolved) return;
    const Mount* on = mounts.containing(*resolved);
    if (!on || on->entry.mountPoint != mount.entry.mountPoint) return;
    UniqueFd fd(::open(resolved->c_str(), kDirFlags));
    struct stat st;
    if (fd && ::fstat(fd.get(), &st) == 0) add(out, *resolved, std::move(fd), st);
}

void addTopDirTrashes(const Mount& mount, uid_t uid, std::vector<TrashDirectory>& out) {
    const std::string& top = mount.entry.mountPoint;
    UniqueFd topFd(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!topFd) return;
    const std::string uidText = std::to_string(uid);
    struct stat st;

    UniqueFd shared(::openat(topFd.get(), ".Trash", kDirFlags));
    if (shared && ::fstat(shared.get(), &st) == 0 && (st.st_mode & S_ISVTX)) {
        // Anyone may create entries in the shared directory: only our own counts as ours.
        UniqueFd mine(::openat(shared.get(), uidText.c_str(), kDirFlags));
        if (mine && ::fstat(mine.get(), &st) == 0 && st.st_uid == uid) {
            add(out, join(top, ".Trash/" + uidText), std::move(mine), st);
        }
    }

    const std::string own = ".Trash-" + uidText;
    UniqueFd mine(::openat(topFd.get(), own.c_str(), kDirFlags));
    if (mine && ::fstat(mine.get(), &st) == 0 && st.st_uid == uid) {
        add(out, join(top, own), std::move(mine), st);
    }
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
