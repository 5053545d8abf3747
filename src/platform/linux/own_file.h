#pragma once

// Linux's side of platform/shared/own_file.h: every file Tidewell writes or replaces is looked
// at through openOwnFile, so no link is followed and nothing waits.

#include <sys/stat.h>

#include <string>

#include "platform/linux/unique_fd.h"
#include "platform/shared/own_file.h"

namespace tw::linux_platform {

struct OwnFileOpen {
    OwnFileOpening::Status status = OwnFileOpening::Status::Failed;
    UniqueFd fd;          // when Opened
    struct stat st {};    // when Opened
    std::string why;      // NotOurs: what lies there; Failed: the system's reason
    bool folder = false;  // NotOurs: a folder lies there
};

// Opens `path` with `flags` (O_RDONLY, or O_WRONLY / O_RDWR with O_APPEND, O_CREAT) and
// O_NOFOLLOW | O_NONBLOCK added, then keeps it only when it is a regular file of this user with
// one name. `mode` is given to a file created; when `mode` is not 0 an existing file gets it too.
OwnFileOpen openOwnFile(const std::string& path, int flags, mode_t mode);
// The same for the entry `name` of the directory `dirFd`.
OwnFileOpen openOwnFileAt(int dirFd, const char* name, int flags, mode_t mode);

class LinuxOwnFiles : public OwnFiles {
  public:
    OwnFileOpening openPrivate(const std::filesystem::path& path, bool create) override;
};

}  // namespace tw::linux_platform
