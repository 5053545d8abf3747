#pragma once

// The recycle-bin shell on Linux, over the freedesktop.org Trash: the core asks for drives and
// their bins as on Windows, and this answers with mounts and the user's trash directories on
// them. What an empty may remove is decided here; see LinuxRecycleBinShell.

#include <sys/types.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/directory_sizes.h"
#include "platform/linux/mount_table.h"
#include "platform/linux/trash_dirs.h"
#include "platform/linux/trash_empty.h"
#include "platform/services/recycle_bin_shell.h"

namespace tw::linux_platform {

// Where the shell finds the system and the user; tests point these at temporary trees.
struct ShellEnvironment {
    std::string mountInfoPath = "/proc/self/mountinfo";
    std::string sysfsRoot = "/sys";
    std::string home;         // $HOME
    std::string xdgDataHome;  // $XDG_DATA_HOME, empty when unset
    uid_t uid = 0;
    // Test seams for each trash directory's empty (see EmptyOptions), but afterSnapshot: that
    // runs once an empty has listed every trash directory, before it removes anything.
    EmptyOptions emptySeams;

    // The running process: its environment, and the password database for a missing HOME.
    static ShellEnvironment current();
};

// The recycle-bin shell over the freedesktop.org Trash: each mount is a drive, its bin the
// user's trash directories on it. Remote file systems are never touched, not even looked at.
//
// An empty must not delete what is trashed while it runs. So an empty of all bins lists every
// trash directory of every drive before it removes anything, and removes only what it listed.
class LinuxRecycleBinShell final : public RecycleBinShell {
  public:
    LinuxRecycleBinShell();
    // `errors` receives one line (without its newline) per entry an empty could not remove
    // or kept on purpose (trashed again while it ran); empty for none. Kept entries are no
    // failure: the empty still succeeds. Items kept by the age floor are in the report only:
    // there are as many of them as the user wants kept.
    using ErrorSink = std::function<void(const std::string&)>;
    LinuxRecycleBinShell(ShellEnvironment environment, ErrorSink errors);

    std::uint32_t getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) override;
    DriveType getDriveType(const std::string& rootPath) override;
    // The byte count is left 0: it would take a walk of every tree in the bin, and nothing
    // reads it.
    std::int32_t queryRecycleBin(const std::string& rootPath, RecycleBinQuery& query) override;
    // Flags change nothing: there is never a confirmation, progress window or sound. The
    // report gets one place per trash directory: its path, and what became of its items.
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath, std::uint32_t flags,
                                 const EmptyOrder& order, EmptyReport& report) override;
    // File managers watch the trash themselves.
    void updateRecycleBinIcon() override {}
    // Every trash directory an empty of all bins would list, each item sized and dated as the
    // size limit does (trash_sizing.h). Folders are walked once: their sizes go into each
    // trash's directorysizes cache, and are remembered here too for a cache that is not ours.
    // Reads only (but the cache), and may run beside an empty.
    TrashMeasure measureBins(std::int64_t keepSeconds) override;

  private:
    MountTable mounts() const;
    // The trash directories of every fixed drive (of `rootPath`'s only, when given), each
    // once; those that could not be opened go to `failed`.
    std::vector<TrashDirectory> trashDirectories(const MountTable& table, const char* rootPath,
                                                 std::vector<TrashDirectory>& failed) const;

    ShellEnvironment env_;
    std::string homeTrash_;
    ErrorSink errors_;
    // Folder sizes of the last measure, by trash directory (device, inode).
    std::mutex rememberedLock_;
    std::map<std::pair<dev_t, ino_t>, DirectorySizes> remembered_;
};

}  // namespace tw::linux_platform
