#include "platform/linux/dir_entries.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tw::linux_platform {

bool PackedEntries::next(DirEntry& entry) {
    if (cursor_ >= packed_.size()) return false;
    entry.type = static_cast<unsigned char>(packed_[cursor_]);
    entry.name = packed_.data() + cursor_ + 1;
    cursor_ += 2 + std::strlen(entry.name);
    return true;
}

int listDirectory(int dirFd, PackedEntries& out) {
    out.buffer().clear();
    out.rewind();
    if (::lseek(dirFd, 0, SEEK_SET) < 0) return errno;
    // A large buffer keeps the number of getdents calls low on big directories.
    alignas(dirent64) char buffer[64 * 1024];
    for (;;) {
        ssize_t got = ::getdents64(dirFd, buffer, sizeof buffer);
        if (got == 0) return 0;
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* d = reinterpret_cast<const dirent64*>(buffer + at);
            at += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
            out.buffer().push_back(static_cast<char>(d->d_type));
            out.buffer().append(name, std::strlen(name) + 1);
        }
    }
}

}  // namespace tw::linux_platform
