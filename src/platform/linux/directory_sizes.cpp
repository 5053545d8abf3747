#include "platform/linux/directory_sizes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "platform/linux/own_file.h"
#include "platform/linux/trash_layout.h"

namespace tw::linux_platform {

namespace {

// A cache larger than this is no cache a file manager wrote for a trash of sane size: it is
// left unread rather than held whole in memory.
constexpr std::size_t kLargestCache = 16 * 1024 * 1024;

bool unreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <typename Number>
bool parseNumber(std::string_view text, Number& out) {
    // Digits only: from_chars would take a sign.
    if (text.empty() || text.size() > 20 || text.front() < '0' || text.front() > '9') return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

std::string temporaryName() {
    static std::atomic<unsigned> counter{0};
    return std::string(kTrashDirectorySizes) + ".tidewell-" + std::to_string(::getpid()) + "-" +
           std::to_string(++counter);
}

std::string notOurs(const std::string& why) {
    return std::string(kTrashDirectorySizes) + ": " + why + ", left alone";
}

}  // namespace

std::string encodeSizeName(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (unreserved(byte)) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::optional<std::string> decodeSizeName(std::string_view encoded) {
    std::string out;
    out.reserve(encoded.size());
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        if (c == '%') {
            const int high = i + 2 < encoded.size() ? hexValue(encoded[i + 1]) : -1;
            const int low = high >= 0 ? hexValue(encoded[i + 2]) : -1;
            if (low < 0) return std::nullopt;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        } else if (static_cast<unsigned char>(c) <= ' ') {
            return std::nullopt;
        }
        out += c;
    }
    // One entry of files/, nothing that leads elsewhere.
    if (out.empty() || out == "." || out == ".." || out.find('/') != std::string::npos ||
        out.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return out;
}

DirectorySizes DirectorySizes::load(int trashFd, std::uint64_t largest) {
    DirectorySizes sizes;
    OwnFileOpen opened = openOwnFileAt(trashFd, kTrashDirectorySizes, O_RDONLY, 0);
    if (opened.status == OwnFileOpening::Status::Missing) return sizes;
    if (opened.status != OwnFileOpening::Status::Opened) {
        sizes.error_ = opened.status == OwnFileOpening::Status::NotOurs
                           ? notOurs(opened.why)
                           : std::string(kTrashDirectorySizes) + ": " + opened.why;
        return sizes;
    }
    if (static_cast<std::uint64_t>(opened.st.st_size) > kLargestCache) {
        sizes.error_ = notOurs("too large for a cache of folder sizes");
        return sizes;
    }
    std::string text(static_cast<std::size_t>(opened.st.st_size) + 1, '\0');
    std::size_t length = 0;
    for (;;) {
        if (length == text.size()) break;
        const ssize_t n = ::read(opened.fd.get(), text.data() + length, text.size() - length);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            sizes.error_ = std::string(kTrashDirectorySizes) + ": " + std::strerror(errno);
            return sizes;
        }
        if (n == 0) break;
        length += static_cast<std::size_t>(n);
    }
    // Only complete lines: one being appended to is no line yet.
    std::string_view rest(text.data(), length);
    for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;
         rest.remove_prefix(end + 1)) {
        const std::string_view line = rest.substr(0, end);
        const std::size_t first = line.find(' ');
        const std::size_t second =
            first == std::string_view::npos ? first : line.find(' ', first + 1);
        if (second == std::string_view::npos) continue;
        Line parsed;
        if (!parseNumber(line.substr(0, first), parsed.size) || parsed.size > largest ||
            !parseNumber(line.substr(first + 1, second - first - 1), parsed.mtime)) {
            continue;
        }
        if (auto name = decodeSizeName(line.substr(second + 1))) {
            sizes.lines_.insert_or_assign(std::move(*name), parsed);
        }
    }
    return sizes;
}

std::optional<std::uint64_t> DirectorySizes::find(std::string_view name, std::int64_t mtime) const {
    const auto found = lines_.find(std::string(name));
    if (found == lines_.end() || found->second.mtime != mtime) return std::nullopt;
    return found->second.size;
}

void DirectorySizes::add(std::string_view name, std::uint64_t size, std::int64_t mtime) {
    lines_.insert_or_assign(std::string(name), Line{size, mtime});
    changed_ = true;
}

std::string DirectorySizes::save(int trashFd) {
    if (!usable() || !changed_) return {};
    changed_ = false;
    // Looked at again: what lies at its name now must still be ours to replace.
    struct stat st;
    if (::fstatat(trashFd, kTrashDirectorySizes, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink > 1)) {
        error_ = notOurs(S_ISLNK(st.st_mode) ? "is a symbolic link" : "is not a file of ours");
        return error_;
    }
    if (lines_.empty()) {
        if (::unlinkat(trashFd, kTrashDirectorySizes, 0) != 0 && errno != ENOENT) {
            return std::string(kTrashDirectorySizes) + ": " + std::strerror(errno);
        }
        return {};
    }
    std::string text;
    for (const auto& [name, line] : lines_) {
        text += std::to_string(line.size) + ' ' + std::to_string(line.mtime) + ' ' +
                encodeSizeName(name) + '\n';
    }
    const std::string temporary = temporaryName();
    OwnFileOpen opened =
        openOwnFileAt(trashFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (opened.status != OwnFileOpening::Status::Opened) {
        return std::string(kTrashDirectorySizes) + ": " + opened.why;
    }
    std::string_view rest = text;
    int error = 0;
    while (!rest.empty() && error == 0) {
        const ssize_t n = ::write(opened.fd.get(), rest.data(), rest.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
        } else {
            rest.remove_prefix(static_cast<std::size_t>(n));
        }
    }
    if (error == 0 && ::renameat(trashFd, temporary.c_str(), trashFd, kTrashDirectorySizes) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlinkat(trashFd, temporary.c_str(), 0);
        return std::string(kTrashDirectorySizes) + ": " + std::strerror(error);
    }
    return {};
}

}  // namespace tw::linux_platform
