#pragma once

// Real directories for the trash tests: a temporary tree, trash items, a fake sysfs and a way
// to run code as an unprivileged user (permission tests prove nothing as root).

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/linux/remove_log.h"
#include "platform/linux/trash_empty.h"

namespace tw::test {

inline constexpr uid_t kNobody = 65534;

// A fresh directory under /tmp that anyone may traverse; removed with all below it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(std::string_view name) const;

  private:
    std::string path_;
};

void makeDirs(const std::string& path, mode_t mode = 0755);
void writeFile(const std::string& path, std::string_view content = "data");
std::string readFile(const std::string& path);
void makeSymlink(const std::string& target, const std::string& link);
bool exists(const std::string& path);  // without following a final link
void chownTree(const std::string& path, uid_t uid, gid_t gid);

// Puts an item into the trash directory `trash`: files/<name> (a file, or a directory holding
// a file) and info/<name>.trashinfo.
void trashItem(const std::string& trash, const std::string& name, bool directory = false);

// Waits (a clock tick, a few milliseconds) until the coarse real-time clock that file systems
// stamp changes with has moved on: whatever was done before is then stamped earlier than the
// moment an empty begins after it, and whatever is done after is stamped later than one that
// began before.
void nextClockTick();
// Waits until an empty beginning now would take everything already below `root` (a trash
// directory, or a tree of them) for trashed before it began, also where it sees the clock
// stepped while it runs.
void settleBeforeEmpty(const std::string& root);

// Empties the trash directory at `trash` (opened as the shell would, one clock tick after what
// the test put there) and returns the result; what it did goes to `place` when given.
bool emptyTrashAt(const std::string& trash, linux_platform::RemoveLog* log = nullptr,
                  const linux_platform::EmptyOptions& options = {}, EmptyPlace* place = nullptr);

// A chain of `depth` directories named `name` below `parent`, with `files` files at the bottom;
// made with descriptors, so deeper than PATH_MAX is fine.
void makeDeepTree(const std::string& parent, int depth, const char* name = "d", int files = 1);

// Open descriptors of this process.
int openDescriptorCount();

// Runs `body` in a child process as `uid`/`gid` and returns its exit status (-1 when it
// could not run or died).
int runAs(uid_t uid, gid_t gid, const std::function<int()>& body);
// Runs `body` in a child process; its exit status, -1 on a crash.
int runInChild(const std::function<int()>& body);
// Runs `body` in a child process with a mount namespace of its own, in which the shell command
// `mount` has mounted a file system and `unmount` runs after; kNoMount when it could not mount.
inline constexpr int kNoMount = 77;
int runOnMount(const std::string& mount, const std::string& unmount,
               const std::function<int()>& body);

// A block device in a fake sysfs under `sysfs`: `devicePath` below sysfs/devices is the disk,
// `partition` (may be empty) a partition of it; sysfs/dev/block/<major:minor> points there.
void addBlockDevice(const std::string& sysfs, const std::string& majorMinor,
                    const std::string& devicePath, const std::string& partition, bool removable);

// One mountinfo line for a mount of `fsType` at `mountPoint` (escaped as the kernel does).
std::string mountInfoLine(int id, const std::string& majorMinor, const std::string& mountPoint,
                          const std::string& fsType, const std::string& source = "none");

}  // namespace tw::test
