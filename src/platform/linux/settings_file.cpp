#include "platform/linux/settings_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace tw::linux_platform {

SettingsFileLook LookAtSettingsFile(const std::string& path, off_t mostBytes) {
    using Kind = SettingsFileLook::Kind;
    SettingsFileLook look;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return look;  // nothing there, or nothing we may see
    // A link that leads nowhere is written through, creating its target; one that loops is
    // no file.
    if (S_ISLNK(st.st_mode) && stat(path.c_str(), &st) != 0) {
        look.kind = errno == ENOENT ? Kind::Missing : Kind::NotAFile;
        return look;
    }
    look.stamp = {st.st_dev, st.st_ino, st.st_size,
                  st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    if (S_ISDIR(st.st_mode)) {
        look.kind = Kind::Folder;
    } else if (!S_ISREG(st.st_mode)) {
        look.kind = Kind::NotAFile;
    } else {
        look.kind = st.st_size > mostBytes ? Kind::TooLarge : Kind::Regular;
    }
    return look;
}

std::string SetAside(const std::string& path, std::string& error) {
    for (int n = 1; n <= 100; ++n) {
        std::string aside = path + ".damaged";
        if (n > 1) aside += '.' + std::to_string(n);
        // An earlier damaged file is kept too.
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
            return aside;
        }
        if (errno == EEXIST) continue;
        if (errno != EINVAL) break;
        // A file system that can't refuse to replace: look first.
        struct stat st {};
        if (lstat(aside.c_str(), &st) == 0) continue;
        if (rename(path.c_str(), aside.c_str()) == 0) return aside;
        break;
    }
    error = std::strerror(errno);
    return {};
}

}  // namespace tw::linux_platform
