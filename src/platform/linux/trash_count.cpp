#include "platform/linux/trash_count.h"

#include <dirent.h>
#include <fcntl.h>

#include <cerrno>

#include <string_view>
#include <unordered_set>

#include "platform/linux/dir_entries.h"
#include "platform/linux/unique_fd.h"

namespace tw::linux_platform {

namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";

// 0, or the errno that kept the directory from being listed (ENOENT: there is none).
int list(int trashFd, const char* name, PackedEntries& out) {
    UniqueFd fd(::openat(trashFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    return fd ? listDirectory(fd.get(), out) : errno;
}

}  // namespace

std::int64_t countTrashItems(int trashFd) {
    PackedEntries files, info;
    const int filesError = list(trashFd, "files", files);
    // Without a usable files/ no .trashinfo can be told to be an orphan (nor will an empty
    // remove one), so only a missing files/ lets them count.
    if (filesError != 0 && filesError != ENOENT) return 0;
    list(trashFd, "info", info);

    std::int64_t count = 0;
    std::unordered_set<std::string_view> names;
    DirEntry e;
    while (files.next(e)) {
        names.insert(e.view());
        ++count;
    }
    while (info.next(e)) {
        std::string_view name = e.view();
        if (e.type == DT_DIR || name.size() < kInfoSuffix.size() ||
            name.substr(name.size() - kInfoSuffix.size()) != kInfoSuffix) {
            continue;
        }
        if (!names.count(name.substr(0, name.size() - kInfoSuffix.size()))) ++count;
    }
    return count;
}

}  // namespace tw::linux_platform
