#include "platform/linux/settings_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/own_file.h"

namespace tw::linux_platform {

SettingsFileLook LookAtSettingsFile(const std::string& path, off_t mostBytes) {
    using Kind = SettingsFileLook::Kind;
    using Status = OwnFileOpening::Status;
    SettingsFileLook look;
    const OwnFileOpen opened = openOwnFile(path, O_RDONLY, 0);
    // A file we may not read is read as nothing by the library, and every save fails and is told.
    if (opened.status == Status::Missing || opened.status == Status::Failed) return look;
    if (opened.status == Status::NotOurs) {
        look.kind = opened.folder ? Kind::Folder : Kind::NotAFile;
        look.why = opened.why;
        return look;
    }
    const struct stat& st = opened.st;
    look.stamp = {st.st_dev, st.st_ino, st.st_size,
                  st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    look.kind = st.st_size > mostBytes ? Kind::TooLarge : Kind::Regular;
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
