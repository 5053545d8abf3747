#pragma once

#include <sys/types.h>

#include <iosfwd>
#include <string>

#include "platform/linux/mount_table.h"
#include "platform/recycle_bin_shell.h"

namespace tw::linux_platform {

// Where the shell finds the system and the user; tests point these at temporary trees.
struct ShellEnvironment {
    std::string mountInfoPath = "/proc/self/mountinfo";
    std::string sysfsRoot = "/sys";
    std::string home;         // $HOME
    std::string xdgDataHome;  // $XDG_DATA_HOME, empty when unset
    uid_t uid = 0;

    // The running process: its environment, and the password database for a missing HOME.
    static ShellEnvironment current();
};

// The recycle-bin shell over the freedesktop.org Trash: each mount is a drive, its bin the
// user's trash directories on it. Remote file systems are never touched, not even looked at.
class LinuxRecycleBinShell final : public RecycleBinShell {
  public:
    LinuxRecycleBinShell();
    // `errors` receives one line per entry an empty could not remove; null for none.
    explicit LinuxRecycleBinShell(ShellEnvironment environment, std::ostream* errors);

    std::uint32_t getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) override;
    DriveType getDriveType(const std::string& rootPath) override;
    // The byte count is left 0: it would take a walk of every tree in the bin, and nothing
    // reads it.
    std::int32_t queryRecycleBin(const std::string& rootPath, RecycleBinQuery& query) override;
    // Flags change nothing: there is never a confirmation, progress window or sound.
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath,
                                 std::uint32_t flags) override;
    // File managers watch the trash themselves.
    void updateRecycleBinIcon() override {}

  private:
    MountTable mounts() const;

    ShellEnvironment env_;
    std::string homeTrash_;
    std::ostream* errors_;
};

}  // namespace tw::linux_platform
