#include "platform/linux/program_files.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace tw::linux_platform {

std::string LinuxFiles::ownExecutablePath() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

std::string LinuxFiles::programFolder() {
    const std::string exe = ownExecutablePath();
    const std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

std::vector<std::string> LinuxFiles::listFiles(const std::string& folder,
                                               const std::string& pattern) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;  // hidden files are not listed
        if (fnmatch(pattern.c_str(), name.c_str(), 0) != 0) continue;
        struct stat st {};
        if (fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
            names.push_back(name);
        }
    }
    closedir(dir);
    return names;
}

std::optional<long long> LinuxFiles::modificationTime(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<long long>(st.st_mtime);
}

}  // namespace tw::linux_platform
