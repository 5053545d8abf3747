#pragma once

// The one way Tidewell opens a file it writes (the journal and its rotation, the settings, the
// start-at-login entry), on both hosts. A path in the user's folders may hold anything another
// program put there: a link to a file of the user's, a FIFO or a device that blocks whoever
// opens it, a file of another user. So the opening never follows a link, never waits (Linux:
// O_NOFOLLOW | O_NONBLOCK, then fstat; Windows: no reparse point followed, a share mode that
// refuses nobody), and only a regular file of this user with no other name is ours. Anything
// else is not ours: the caller leaves it alone and tells the user once.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tw {

// A file of ours, open for writing.
class OwnFile {
  public:
    virtual ~OwnFile() = default;
    virtual std::uint64_t size() = 0;
    // Writes `bytes` at the end; why it could not (then part may have been written), or
    // nothing.
    virtual std::string append(std::string_view bytes) = 0;
    // Cuts the file to `size` bytes; false when it could not.
    virtual bool truncate(std::uint64_t size) = 0;
};

struct OwnFileOpening {
    enum class Status { Opened, Missing, NotOurs, Failed };
    Status status = Status::Failed;
    std::unique_ptr<OwnFile> file;  // when Opened
    std::string why;                // what lies there (NotOurs) or what failed (Failed)
};

class OwnFiles {
  public:
    virtual ~OwnFiles() = default;
    // Opens the private file `path` (only its owner may read it: an existing one is made so) to
    // write; when missing, creates it if `create`, else Missing.
    virtual OwnFileOpening openPrivate(const std::filesystem::path& path, bool create) = 0;
};

}  // namespace tw
