#pragma once

// The settings file is read by a library that opens whatever lies at its path and reads it
// whole: a FIFO there would hang the start, a huge file would take minutes and memory, a link
// would have its target rewritten, and a file that is not ours would be rewritten in our
// format. So the path is looked at first, the one way every file Tidewell writes is
// (own_file.h), and what must not be read is set aside.

#include <sys/types.h>

#include <string>

namespace tw::linux_platform {

// What lies at the path; a symbolic link is not followed. `stamp` tells a regular file apart
// from what it was when last looked at.
struct SettingsFileLook {
    enum class Kind { Missing, Folder, Regular, TooLarge, NotAFile };
    Kind kind = Kind::Missing;
    std::string why;  // NotAFile: what it is instead
    struct Stamp {
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        long long modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    } stamp;
};

SettingsFileLook LookAtSettingsFile(const std::string& path, off_t mostBytes);

// Renames the entry at `path` (a link itself, never its target) to the first free name of
// "<path>.damaged", "<path>.damaged.2", ...; returns that name, or an empty text with `error`
// set.
std::string SetAside(const std::string& path, std::string& error);

}  // namespace tw::linux_platform
