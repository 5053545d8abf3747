#include "platform/linux/safe_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <deque>

namespace tw::linux_platform {

namespace {

constexpr int kMaxSymlinks = 40;  // as the kernel's own limit

void pushComponents(std::string_view path, std::deque<std::string>& into, bool front) {
    std::deque<std::string> parts;
    std::size_t at = 0;
    while (at < path.size()) {
        std::size_t end = path.find('/', at);
        if (end == std::string_view::npos) end = path.size();
        if (end > at) parts.emplace_back(path.substr(at, end - at));
        at = end + 1;
    }
    if (front) {
        into.insert(into.begin(), parts.begin(), parts.end());
    } else {
        into.insert(into.end(), parts.begin(), parts.end());
    }
}

}  // namespace

std::optional<std::string> resolveLocalPath(std::string_view path, const MountTable& mounts) {
    if (path.empty() || path[0] != '/') return std::nullopt;
    std::deque<std::string> pending;
    pushComponents(path, pending, false);
    std::string resolved = "/";
    if (!mounts.isLocalPath(resolved)) return std::nullopt;
    int links = 0;

    while (!pending.empty()) {
        std::string part = std::move(pending.front());
        pending.pop_front();
        if (part == ".") continue;
        if (part == "..") {
            // `resolved` holds no links, so going up is lexical.
            if (resolved.size() > 1) resolved.erase(std::max<std::size_t>(resolved.rfind('/'), 1));
            continue;
        }
        std::string candidate = resolved;
        if (candidate.size() > 1) candidate += '/';
        candidate += part;
        if (!mounts.isLocalPath(candidate)) return std::nullopt;

        struct stat st;
        if (::fstatat(AT_FDCWD, candidate.c_str(), &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT)) {
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) {
            resolved = std::move(candidate);
            continue;
        }
        if (++links > kMaxSymlinks) return std::nullopt;
        std::string target(PATH_MAX, '\0');
        ssize_t n = ::readlink(candidate.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return std::nullopt;
        target.resize(static_cast<std::size_t>(n));
        if (target[0] == '/') resolved.resize(1);  // back to "/"
        pushComponents(target, pending, true);
    }
    return resolved;
}

}  // namespace tw::linux_platform
