#pragma once

// Removing one trash item, a file or a whole folder tree, through descriptors (openat,
// unlinkat), so that a folder swapped for a link or a mount during the removal leads nowhere
// outside the trash and nothing on another file system is touched.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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
    std::uint64_t allocated = 0;  // bytes of the directory's own blocks
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
//
// Unlike rm -rf it does not follow a directory that is moved while it works: descriptors would
// take it wherever it went (a folder restored from expunged/ into the user's documents). Every
// batch of removals it first makes sure that each directory it is in still lies under the same
// name in the one above, up to the root's parent. A directory found moved is left alone with
// all below it and reported at its present place. Bound: after a move, at most one batch goes,
// kBatch removals, whatever the depth of the walk.
class TreeRemover {
  public:
    static constexpr std::size_t kBatch = 64;
    // A test seam: runs when a batch begins, once the walk has been found in place, with the
    // path (as shown in the log) of the directory whose entries are being removed.
    using BatchHook = std::function<void(std::string_view directory)>;

    TreeRemover(const RemoveScope& scope, RemoveLog& log, BatchHook beforeBatch = {})
        : scope_(scope), log_(log), beforeBatch_(std::move(beforeBatch)) {}

    // Removes the entry `name` of the directory `parentFd`, shown in the log (and matched
    // against the fenced mount points) as `parentPath`/`shownName`, where shownName defaults to
    // `name`. `type` is the entry's DT_* hint (DT_UNKNOWN when not known). True when the entry
    // is gone. Directories of many entries are emptied in inode order. A move is noticed
    // anywhere below `parentFd` (expunged/ for a trash), not of `parentFd` itself.
    bool remove(int parentFd, const char* name, unsigned char type, std::string_view parentPath,
                std::string_view shownName = {});

    // What the last remove() did. Of a folder it could not remove whole: the entries below it
    // that went, and those that stayed as far as the walk saw them (a folder moved away or one
    // that could not be listed counts as one). Whole or not: what the file system got back, the
    // allocated blocks of each file removed as its last name and of each folder removed.
    struct Tally {
        std::uint64_t removed = 0;
        std::uint64_t left = 0;
        std::uint64_t freed = 0;
    };
    const Tally& tally() const { return tally_; }

  private:
    struct Frame {
        UniqueFd fd;  // closed while the frame is far from the top of a deep walk
        dev_t dev = 0;
        ino_t ino = 0;
        std::string name;
        PackedEntries entries;
        std::uint64_t allocated = 0;
        bool failed = false;
    };
    enum class Step { Pushed, Gone, Failed };

    // Unlinks the non-directory `name` of `dirFd` (errno set when false), weighed first.
    bool unlinkWeighed(int dirFd, const char* name);

    bool removeDirectory(int rootParentFd, const char* rootName);
    Step descend(int parentFd, const char* name);
    bool inPlaceForNextRemoval();
    bool deepestInPlace() const;
    std::size_t firstMovedFrame();
    void leaveMoved(std::size_t moved);
    std::string presentPath(std::size_t frame) const;
    // The path shown for the entry `name` of frames_[depth - 1] (of the root's parent at 0).
    std::string pathOf(std::string_view name, std::size_t depth) const;
    std::string pathOf(std::string_view name) const { return pathOf(name, frames_.size()); }

    const RemoveScope& scope_;
    RemoveLog& log_;
    BatchHook beforeBatch_;
    int rootParentFd_ = -1;
    std::size_t sinceCheck_ = 0;  // removals since the walk was last found in place
    bool rootMoved_ = false;
    std::string_view parentPath_;
    std::string_view shownRoot_;
    std::vector<Frame> frames_;
    Tally tally_;
};

}  // namespace tw::linux_platform
