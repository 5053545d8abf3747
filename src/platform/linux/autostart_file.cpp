#include "platform/linux/autostart_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/linux/own_file.h"

namespace tw::linux_platform {

namespace {

// Far more than any desktop entry holds.
constexpr off_t kMostEntryBytes = 64 * 1024;

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

std::string EntryProgram(const std::string& entry) {
    std::string tryExec;
    std::string exec;
    bool inMainGroup = false;
    std::size_t start = 0;
    while (start < entry.size()) {
        std::size_t end = entry.find('\n', start);
        if (end == std::string::npos) end = entry.size();
        const std::string line = entry.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line[0] == '[') {
            inMainGroup = line == "[Desktop Entry]";
        } else if (inMainGroup && line.rfind("TryExec=", 0) == 0) {
            tryExec = line.substr(8);
        } else if (inMainGroup && line.rfind("Exec=", 0) == 0) {
            exec = line.substr(5);
        }
    }
    const auto unescape = [](const std::string& value) {
        std::string out;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                const char next = value[++i];
                out += next == 'n' ? '\n' : next == 's' ? ' ' : next;
            } else {
                out += value[i];
            }
        }
        return out;
    };
    std::string program = unescape(tryExec);
    if (program.empty()) {
        // The command's first word: a quoted path with its backslash escapes, or a bare one.
        const std::string command = unescape(exec);
        if (!command.empty() && command[0] == '"') {
            for (std::size_t i = 1; i < command.size() && command[i] != '"'; ++i) {
                const bool escaped = (command[i] == '\\' || command[i] == '%') &&
                                     i + 1 < command.size() &&
                                     (command[i] == '\\' || command[i + 1] == '%');
                if (escaped) ++i;
                program += command[i];
            }
        } else {
            program = command.substr(0, command.find(' '));
        }
    }
    // Only an absolute path names a file; a bare name is looked up where we can't tell.
    return program.empty() || program[0] != '/' ? std::string() : program;
}

AutostartFile::AutostartFile(std::string configHome)
    : folder_((configHome.empty() ? defaultConfigHome() : configHome) + "/autostart") {}

std::string AutostartFile::entryPath(const std::string& name) const {
    return folder_ + "/" + name + ".desktop";
}

namespace {

// An entry at `path` that is not ours (a link, a FIFO, another user's file) is left alone:
// why, or nothing when the path is free or holds a file of ours.
std::string notOursAt(const std::string& path) {
    OwnFileOpen there = openOwnFile(path, O_RDONLY, 0);
    if (there.status != OwnFileOpening::Status::NotOurs) return {};
    return path + " " + there.why + ", not Tidewell's entry: it was left alone";
}

}  // namespace

bool AutostartFile::add(const std::string& name, const std::string& executablePath,
                        std::string& error) {
    if (!makeFolders(folder_)) {
        error = folder_ + ": " + std::strerror(errno);
        return false;
    }
    // Written beside the entry and renamed over it, so a crash never leaves half an entry.
    const std::string path = entryPath(name);
    const std::string temp = path + ".tmp";
    if (error = notOursAt(path); !error.empty()) return false;
    OwnFileOpen opened = openOwnFile(temp, O_WRONLY | O_CREAT, 0644);
    if (opened.status != OwnFileOpening::Status::Opened) {
        error = temp + ": " + opened.why;
        if (opened.status == OwnFileOpening::Status::NotOurs) error += ", left alone";
        return false;
    }
    const int fd = opened.fd.get();
    const bool written =
        ftruncate(fd, 0) == 0 && writeAll(fd, AutostartEntry(executablePath)) && fsync(fd) == 0;
    const int writeErrno = errno;
    opened.fd.reset();
    if (!written || rename(temp.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(written ? errno : writeErrno);
        unlink(temp.c_str());
        return false;
    }
    return true;
}

bool AutostartFile::remove(const std::string& name, std::string& error) {
    const std::string path = entryPath(name);
    if (error = notOursAt(path); !error.empty()) return false;
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::optional<std::string> AutostartFile::registeredProgram(const std::string& name) {
    // Not blocking on whatever lies there: an entry is a small regular file of ours.
    OwnFileOpen opened = openOwnFile(entryPath(name), O_RDONLY, 0);
    if (opened.status == OwnFileOpening::Status::Missing) return std::nullopt;
    if (opened.status != OwnFileOpening::Status::Opened) return std::string();
    std::string text;
    if (opened.st.st_size <= kMostEntryBytes) {
        text.resize(static_cast<std::size_t>(opened.st.st_size));
        const ssize_t n = read(opened.fd.get(), text.data(), text.size());
        text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    return EntryProgram(text);
}

}  // namespace tw::linux_platform
