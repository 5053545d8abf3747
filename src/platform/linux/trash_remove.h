#pragma once

// Removing one trash item, a file or a whole folder tree, through descriptors (openat,
// unlinkat), so that a folder swapped for a link or a mount during the removal leads nowhere
// outside the trash and nothing on another file system is touched.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/dir_entries.h"
#include "platform/linux/remove_log.h"
#include "platform/linux/unique_fd.h"

namespace tw::linux_platform {

// The one file system a removal stays on.
struct RemoveScope {
    dev_t dev = 0;
    std::uint64_t mountId = 0;
    bool hasMountId = false;
    // Mount points known (from mountinfo) to lie below the directory being emptied: they are
    // left alone without being opened, so that a hung share mounted there can't block us.
    std::vector<std::string> fencedMountPoints;
};

// The scope of the file system and mount that `dirFd` is on.
std::optional<RemoveScope> scopeOf(int dirFd);

enum class OpenStatus { Opened, Missing, NotDirectory, OtherFileSystem, Failed };

struct OpenedDirectory {
    OpenStatus status = OpenStatus::Failed;
    UniqueFd fd;
    dev_t dev = 0;
    ino_t ino = 0;
    int error = 0;
};

// Opens the directory `name` of `parentFd` for removing its entries: never through a symbolic
// link, only on `scope`'s mount, and a directory of ours that lacks read, write or search
// permission for us gets it first.
OpenedDirectory openDirectoryForRemoval(int parentFd, const char* name, const RemoveScope& scope);

// Removes directory entries with everything below them, as `rm -rf --one-file-system` would:
// with file descriptors, iteratively (depth is bounded by nothing but the file system), never
// following a symbolic link and never entering another mount. What can't be removed is
// reported to the log and the rest goes on.
class TreeRemover {
  public:
    TreeRemover(const RemoveScope& scope, RemoveLog& log) : scope_(scope), log_(log) {}

    // Removes the entry `name` of the directory `parentFd`, shown in the log (and matched
    // against the fenced mount points) as `parentPath`/`shownName`, where shownName defaults to
    // `name`. `type` is the entry's DT_* hint (DT_UNKNOWN when not known). True when the entry
    // is gone. Directories of many entries are emptied in inode order.
    bool remove(int parentFd, const char* name, unsigned char type, std::string_view parentPath,
                std::string_view shownName = {});

  private:
    struct Frame {
        UniqueFd fd;  // closed while the frame is far from the top of a deep walk
        dev_t dev = 0;
        ino_t ino = 0;
        std::string name;
        PackedEntries entries;
        bool failed = false;
    };
    enum class Step { Pushed, Gone, Failed };

    bool removeDirectory(int rootParentFd, const char* rootName);
    Step descend(int parentFd, const char* name);
    bool reopenParent(const Frame& child, Frame& parent);
    std::string pathOf(std::string_view name) const;

    const RemoveScope& scope_;
    RemoveLog& log_;
    std::string_view parentPath_;
    std::string_view shownRoot_;
    std::vector<Frame> frames_;
};

}  // namespace tw::linux_platform
