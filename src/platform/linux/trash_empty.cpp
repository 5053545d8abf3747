#include "platform/linux/trash_empty.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "platform/linux/dir_entries.h"
#include "platform/linux/trash_remove.h"

namespace tw::linux_platform {

namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";

bool isTrashInfo(const DirEntry& e) {
    std::string_view name = e.view();
    return e.type != DT_DIR && name.size() >= kInfoSuffix.size() &&
           name.substr(name.size() - kInfoSuffix.size()) == kInfoSuffix;
}

// A sub-directory of the trash directory, with its entries listed.
struct TrashPart {
    UniqueFd fd;
    PackedEntries entries;
    std::string path;
};

// Opens and lists files/, info/ or expunged/. A missing one is empty; one that is a link,
// on another mount or unreadable is logged and left alone (false).
bool openPart(int trashFd, const std::string& trashPath, const char* name, const RemoveScope& scope,
              RemoveLog& log, TrashPart& part) {
    part.path = trashPath + "/" + name;
    OpenedDirectory dir = openDirectoryForRemoval(trashFd, name, scope);
    switch (dir.status) {
        case OpenStatus::Opened:
            break;
        case OpenStatus::Missing:
            return true;
        case OpenStatus::NotDirectory:
            log.note(part.path, "not a directory, left alone");
            return false;
        case OpenStatus::OtherFileSystem:
            log.note(part.path, "a mount point, left alone");
            return false;
        case OpenStatus::Failed:
            log.failure(part.path, dir.error);
            return false;
    }
    part.fd = std::move(dir.fd);
    if (int error = listDirectory(part.fd.get(), part.entries)) {
        log.failure(part.path, error);
        part.fd.reset();
        return false;
    }
    return true;
}

}  // namespace

bool emptyTrashDirectory(int trashFd, const std::string& trashPath, RemoveLog& log,
                         const EmptyOptions& options) {
    std::optional<RemoveScope> scope = scopeOf(trashFd);
    if (!scope) {
        log.failure(trashPath, errno);
        return false;
    }
    scope->fencedMountPoints = options.fencedMountPoints;
    bool complete = true;

    TrashPart files, info;
    const bool filesUsable = openPart(trashFd, trashPath, "files", *scope, log, files);
    complete &= filesUsable;
    complete &= openPart(trashFd, trashPath, "info", *scope, log, info);
    if (options.afterSnapshot) options.afterSnapshot();

    std::unordered_set<std::string_view> listedInfo;
    std::unordered_set<std::string_view> listedFiles;
    DirEntry e;
    while (info.entries.next(e)) {
        if (isTrashInfo(e)) listedInfo.insert(e.view());
    }

    TreeRemover remover(*scope, log);
    std::string infoName;
    while (files.fd && files.entries.next(e)) {
        listedFiles.insert(e.view());
        if (!remover.remove(files.fd.get(), e.name, e.type, files.path)) {
            complete = false;  // what is left keeps its .trashinfo
            continue;
        }
        infoName.assign(e.view()).append(kInfoSuffix);
        if (info.fd && listedInfo.count(infoName) &&
            ::unlinkat(info.fd.get(), infoName.c_str(), 0) != 0 && errno != ENOENT) {
            log.failure(info.path + "/" + infoName, errno);
            complete = false;
        }
    }

    // Orphans: a .trashinfo whose item is missing. A file that arrives after the listing (its
    // .trashinfo is written first) makes its .trashinfo no orphan, so look again right before.
    // With files/ unusable nothing can be told to be an orphan.
    info.entries.rewind();
    while (filesUsable && info.fd && info.entries.next(e)) {
        if (!isTrashInfo(e)) continue;
        std::string_view stem = e.view().substr(0, e.view().size() - kInfoSuffix.size());
        if (listedFiles.count(stem)) continue;
        std::string item(stem);
        struct stat st;
        if (files.fd && ::fstatat(files.fd.get(), item.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            continue;
        }
        if (::unlinkat(info.fd.get(), e.name, 0) != 0 && errno != ENOENT) {
            log.failure(info.path + "/" + e.name, errno);
            complete = false;
        }
    }

    // Left over from deletions another program began and did not finish.
    TrashPart expunged;
    complete &= openPart(trashFd, trashPath, "expunged", *scope, log, expunged);
    while (expunged.fd && expunged.entries.next(e)) {
        complete &= remover.remove(expunged.fd.get(), e.name, e.type, expunged.path);
    }

    if (::unlinkat(trashFd, "directorysizes", 0) != 0 && errno != ENOENT) {
        log.failure(trashPath + "/directorysizes", errno);
        complete = false;
    }
    return complete;
}

}  // namespace tw::linux_platform
