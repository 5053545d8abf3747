#include "platform/win32/win32_files.h"

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"

// PathMatchSpecA: the shell's own wildcard rules, for names the listing returned.
#include <shlwapi.h>

namespace tw::win32_platform {

namespace {

constexpr unsigned long long kTicksPerSecond = 10'000'000ULL;
// 1601-01-01 to 1970-01-01 in seconds.
constexpr long long kEpochDifference = 11'644'473'600LL;

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder + name;
    return folder + "\\" + name;
}

}  // namespace

long long unixSecondsFromFileTime(unsigned long long fileTime) {
    return static_cast<long long>(fileTime / kTicksPerSecond) - kEpochDifference;
}

std::string Win32Files::ownExecutablePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        // A full buffer means the path may have been cut short.
        if (n < path.size()) {
            path.resize(n);
            return fromAnsi(path);
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

std::string Win32Files::programFolder() {
    const std::string exe = ownExecutablePath();
    const std::size_t slash = exe.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    // "C:\App.exe" lives in "C:\"; "C:" alone would mean the drive's current folder.
    if (slash == 2 && exe[1] == ':') return exe.substr(0, 3);
    return exe.substr(0, slash);
}

std::vector<std::string> Win32Files::listFiles(const std::string& folder,
                                               const std::string& pattern) {
    std::vector<std::string> names;
    const std::string ansiPattern = toAnsi(pattern);
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(toAnsi(joinPath(folder, pattern)).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    constexpr DWORD kSkipped =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if (found.dwFileAttributes & kSkipped) continue;
        // The listing also matches the short 8.3 names: "*.exe" finds "setup.exe1" through
        // "SETUP~1.EXE". Only the real name counts.
        if (!PathMatchSpecA(found.cFileName, ansiPattern.c_str())) continue;
        names.push_back(fromAnsi(found.cFileName));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::optional<long long> Win32Files::modificationTime(const std::string& path) {
    // Not FindFirstFileA: a path with '*' or '?' would be taken as a pattern.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(toAnsi(path).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    const unsigned long long ticks =
        (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime;
    return unixSecondsFromFileTime(ticks);
}

}  // namespace tw::win32_platform
