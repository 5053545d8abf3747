#include "platform/linux/trash_info.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/unique_fd.h"

namespace tw::linux_platform {

namespace {

// Records hold a path of at most PATH_MAX bytes, percent-encoded, and a date.
constexpr std::size_t kFirstRead = 4096;
constexpr std::size_t kLargestRecord = 64 * 1024;

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view parentOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    return slash == 0 ? std::string_view("/") : path.substr(0, slash);
}

std::string_view nameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool TrashInfoReader::read(int infoFd, const char* name, struct stat* status) {
    size_ = 0;
    // Reading a record leaves its access time alone where the user may ask that (their own
    // records): setting it would write every inode of info/ while the empty runs.
    constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    UniqueFd fd(::openat(infoFd, name, kFlags | O_NOATIME));
    if (!fd && errno == EPERM) fd.reset(::openat(infoFd, name, kFlags));
    if (!fd || (status && ::fstat(fd.get(), status) != 0)) return false;
    if (buffer_.size() < kFirstRead) buffer_.resize(kFirstRead);
    for (;;) {
        if (size_ == buffer_.size()) {
            if (buffer_.size() >= kLargestRecord) break;
            buffer_.resize(buffer_.size() * 2);
        }
        const std::size_t room = buffer_.size() - size_;
        const ssize_t got = ::read(fd.get(), buffer_.data() + size_, room);
        if (got < 0) {
            if (errno == EINTR) continue;
            break;
        }
        size_ += static_cast<std::size_t>(got);
        // A file read short is at its end: no second read to learn that.
        if (static_cast<std::size_t>(got) < room) return true;
    }
    size_ = 0;
    return false;
}

std::string_view TrashInfoReader::value(std::string_view key) const {
    std::string_view rest(buffer_.data(), size_);
    bool inGroup = false;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = trimmed(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[Trash Info]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (inGroup && equals != std::string_view::npos && trimmed(line.substr(0, equals)) == key) {
            return trimmed(line.substr(equals + 1));
        }
    }
    return {};
}

std::string originalPath(std::string_view pathValue, std::string_view topDirectory) {
    std::string out;
    if (!pathValue.empty() && pathValue.front() != '/') {
        out = topDirectory;
        if (out.empty() || out.back() != '/') out += '/';
    }
    for (std::size_t i = 0; i < pathValue.size(); ++i) {
        const int high =
            pathValue[i] == '%' && i + 2 < pathValue.size() ? hexValue(pathValue[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(pathValue[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += pathValue[i];
        }
    }
    return out;
}

std::string trashTopDirectory(std::string_view trashPath) {
    const std::string_view parent = parentOf(trashPath);
    return std::string(nameOf(parent) == ".Trash" ? parentOf(parent) : parent);
}

}  // namespace tw::linux_platform
