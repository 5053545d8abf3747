#pragma once

// The `directorysizes` cache of a trash directory: the size of each folder item, so that a
// large folder is walked once, not at every look. One line a folder, "size mtime name": its
// size in bytes, the mtime of its .trashinfo in whole seconds (a folder trashed again under the
// same name gets a new record, and so a line that no longer matches), its name percent-encoded.
// File managers read and complete the same file. It is a file we write, so it is opened the one
// safe way (own_file.h): one that is a link, a folder or not this user's is not ours, and is
// neither read nor written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tw::linux_platform {

class DirectorySizes {
  public:
    struct Line {
        std::uint64_t size = 0;
        std::int64_t mtime = 0;
    };

    // Reads the cache of the trash directory `trashFd`. A line is kept only when it is well
    // formed: a size no larger than `largest` (the file system's size: no folder on it is
    // larger), an mtime, a name that is one file name. A missing cache is an empty one.
    static DirectorySizes load(int trashFd, std::uint64_t largest);

    // Why the cache is not ours, or could not be read; empty when it is usable.
    const std::string& error() const { return error_; }
    bool usable() const { return error_.empty(); }

    // The size of the folder `name` when its line was written for the record of mtime `mtime`.
    std::optional<std::uint64_t> find(std::string_view name, std::int64_t mtime) const;
    // A folder measured: its line is added (or replaces a stale one) at the next save.
    void add(std::string_view name, std::uint64_t size, std::int64_t mtime);
    std::size_t size() const { return lines_.size(); }
    bool changed() const { return changed_; }

    // Keeps only the lines for which `keep(name)` is true (the folders still in the trash).
    template <typename Keep>
    void retain(Keep keep) {
        for (auto it = lines_.begin(); it != lines_.end();) {
            if (keep(it->first)) {
                ++it;
            } else {
                it = lines_.erase(it);
                changed_ = true;
            }
        }
    }

    // Writes the cache when it changed: a whole new file beside it, renamed over it, so that a
    // reader never sees half of one. The cache is removed when no line is left. Does nothing to
    // a cache that is not ours. Empty, or why it could not be written.
    std::string save(int trashFd);

  private:
    std::unordered_map<std::string, Line> lines_;
    std::string error_;
    bool changed_ = false;
};

// `name` percent-encoded as a cache line holds it, and back; nothing for a malformed name.
std::string encodeSizeName(std::string_view name);
std::optional<std::string> decodeSizeName(std::string_view encoded);

}  // namespace tw::linux_platform
