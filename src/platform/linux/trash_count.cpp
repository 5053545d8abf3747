#include "platform/linux/trash_count.h"

#include <cerrno>

#include "platform/linux/dir_entries.h"
#include "platform/linux/trash_layout.h"
#include "platform/linux/unique_fd.h"

namespace tw::linux_platform {

namespace {

// 0, or the errno that kept the directory from being listed (ENOENT: there is none).
int list(int trashFd, const char* name, PackedEntries& out) {
    UniqueFd fd(openOwnDirectory(trashFd, name));
    return fd ? listDirectory(fd.get(), out) : errno;
}

}  // namespace

std::optional<std::int64_t> countTrashItems(int trashFd) {
    PackedEntries files, info;
    const int filesError = list(trashFd, kTrashFiles, files);
    const int infoError = list(trashFd, kTrashInfo, info);
    if ((filesError != 0 && filesError != ENOENT) || (infoError != 0 && infoError != ENOENT)) {
        return std::nullopt;
    }
    return TrashItems(files, info).count();
}

}  // namespace tw::linux_platform
