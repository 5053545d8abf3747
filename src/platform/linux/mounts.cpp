#include "platform/linux/mounts.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tw::linux_platform {

namespace {

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

// Splits at blanks; mountinfo fields never contain a raw blank (the kernel escapes it).
std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ') ++at;
        std::size_t end = line.find(' ', at);
        if (end == std::string_view::npos) end = line.size();
        if (end > at) fields.push_back(line.substr(at, end - at));
        at = end;
    }
    return fields;
}

template <typename T>
bool parseNumber(std::string_view text, T& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string decodeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xFF) {
                out.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

std::optional<MountEntry> parseMountInfoLine(std::string_view line) {
    // id parent major:minor root mount-point options [optional...] - fstype source super-options
    std::vector<std::string_view> f = splitFields(line);
    if (f.size() < 7) return std::nullopt;
    auto dash = std::find(f.begin() + 6, f.end(), std::string_view("-"));
    if (dash == f.end() || f.end() - dash < 3) return std::nullopt;

    MountEntry e;
    std::size_t colon = f[2].find(':');
    if (!parseNumber(f[0], e.id) || !parseNumber(f[1], e.parentId) ||
        colon == std::string_view::npos || !parseNumber(f[2].substr(0, colon), e.major) ||
        !parseNumber(f[2].substr(colon + 1), e.minor)) {
        return std::nullopt;
    }
    e.root = decodeMountField(f[3]);
    e.mountPoint = decodeMountField(f[4]);
    e.fsType = decodeMountField(dash[1]);
    e.source = decodeMountField(dash[2]);
    if (e.mountPoint.empty() || e.mountPoint[0] != '/') return std::nullopt;
    return e;
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        if (auto entry = parseMountInfoLine(text.substr(at, end - at))) {
            // A later mount on the same point hides the earlier one.
            std::erase_if(mounts,
                          [&](const MountEntry& m) { return m.mountPoint == entry->mountPoint; });
            mounts.push_back(std::move(*entry));
        }
        at = end + 1;
    }
    return mounts;
}

std::vector<MountEntry> readMountInfo(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return parseMountInfo(text.str());
}

bool isPseudoFileSystem(std::string_view fsType) {
    static constexpr std::string_view kPseudo[] = {
        "proc",     "sysfs",      "cgroup",    "cgroup2",    "devpts",      "devtmpfs",
        "mqueue",   "debugfs",    "tracefs",   "securityfs", "pstore",      "bpf",
        "autofs",   "configfs",   "fusectl",   "hugetlbfs",  "binfmt_misc", "nsfs",
        "efivarfs", "rpc_pipefs", "selinuxfs", "smackfs",    "apparmorfs",  "nfsd",
        "cpuset",   "resctrl",    "xenfs",     "usbfs",      "fuse.portal", "fuse.lxcfs",
    };
    return std::find(std::begin(kPseudo), std::end(kPseudo), fsType) != std::end(kPseudo);
}

bool isUnderMountPoint(std::string_view path, std::string_view mountPoint) {
    if (mountPoint == "/") return !path.empty() && path[0] == '/';
    if (path.size() < mountPoint.size() || path.substr(0, mountPoint.size()) != mountPoint) {
        return false;
    }
    return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

}  // namespace tw::linux_platform
