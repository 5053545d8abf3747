#include "platform/linux/autostart_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tw::linux_platform {

namespace {

std::string defaultConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

// Creates `path` and its missing parents.
bool makeFolders(const std::string& path) {
    for (std::size_t slash = 1; slash != std::string::npos;) {
        slash = path.find('/', slash + 1);
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The value of a desktop entry key: these characters must be escaped.
std::string escapeValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string QuoteExecArgument(const std::string& argument) {
    // Inside double quotes, ", `, $ and \ need a backslash; a literal % is written %%.
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

std::string AutostartEntry(const std::string& executablePath) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tidewell\n"
           "Comment=Empties the trash on a schedule\n"
           // TryExec takes the plain path: desktops skip the entry once the program is gone,
           // since uninstalling it cannot remove every user's entry.
           "TryExec=" +
           escapeValue(executablePath) +
           "\n"
           "Exec=" +
           escapeValue(QuoteExecArgument(executablePath)) +
           "\n"
           "Icon=tidewell\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

AutostartFile::AutostartFile(std::string configHome)
    : folder_((configHome.empty() ? defaultConfigHome() : configHome) + "/autostart") {}

std::string AutostartFile::entryPath(const std::string& name) const {
    return folder_ + "/" + name + ".desktop";
}

bool AutostartFile::add(const std::string& name, const std::string& executablePath,
                        std::string& error) {
    if (!makeFolders(folder_)) {
        error = folder_ + ": " + std::strerror(errno);
        return false;
    }
    // Written beside the entry and renamed over it, so a crash never leaves half an entry.
    const std::string path = entryPath(name);
    const std::string temp = path + ".tmp";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        error = temp + ": " + std::strerror(errno);
        return false;
    }
    const bool written = writeAll(fd, AutostartEntry(executablePath)) && fsync(fd) == 0;
    const int writeErrno = errno;
    close(fd);
    if (!written || rename(temp.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(written ? errno : writeErrno);
        unlink(temp.c_str());
        return false;
    }
    return true;
}

bool AutostartFile::remove(const std::string& name, std::string& error) {
    const std::string path = entryPath(name);
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool AutostartFile::isRegistered(const std::string& name) {
    struct stat st {};
    return lstat(entryPath(name).c_str(), &st) == 0;
}

}  // namespace tw::linux_platform
