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
    PackedEntries info;
    const int infoError = list(trashFd, kTrashInfo, info);
    if (infoError != 0 && infoError != ENOENT) return std::nullopt;
    TrashItems items(info);
    // files/ goes by in batches: its names are needed only long enough to be matched.
    UniqueFd files(openOwnDirectory(trashFd, kTrashFiles));
    if (!files) return errno == ENOENT ? std::optional(items.count()) : std::nullopt;
    PackedEntries batch;
    if (listDirectoryInBatches(files.get(), batch, [&](PackedEntries& b) { items.addItems(b); })) {
        return std::nullopt;
    }
    return items.count();
}

}  // namespace tw::linux_platform
