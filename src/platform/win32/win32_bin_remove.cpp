#include "platform/win32/win32_bin_remove.h"

#include "platform/win32/win32_api.h"

#include <vector>

#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"

namespace tw::win32_platform {

namespace {

bool gone(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// What removing the entry at `path` gives back to the disk: its allocation when it is its last
// name, else nothing; 0 when that can't be read. Read right before the removal, so that of two
// names in one folder the second counts. A link frees next to nothing and is not opened: what
// it leads to is not ours to weigh.
std::uint64_t allocatedOfLastName(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return 0;
    const HANDLE file = CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    FILE_STANDARD_INFO info{};
    const bool read = GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info);
    CloseHandle(file);
    if (!read || info.NumberOfLinks != 1) return 0;
    return static_cast<std::uint64_t>(info.AllocationSize.QuadPart);
}

// Removes one entry that is not walked into: a file, a link of either kind, or a folder whose
// entries are gone. A read-only entry is made writable first, as the shell's own removal does.
bool removeOne(const std::wstring& path, DWORD attributes, std::string& error,
               std::uint64_t& freed) {
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesW(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    const std::uint64_t allocated = allocatedOfLastName(path, attributes);
    const BOOL ok = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str())
                                                            : DeleteFileW(path.c_str());
    if (ok) freed += allocated;
    if (ok || gone(GetLastError())) return true;
    if (error.empty())
        error = "can't remove " + fromWide(path) + ": " + describeError(GetLastError());
    return false;
}

void noteFailure(std::string& error, const std::wstring& path) {
    if (error.empty())
        error = "can't list " + fromWide(path) + ": " + describeError(GetLastError());
}

}  // namespace

bool removePayload(const std::wstring& path, std::string& error, std::uint64_t& freed) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (gone(GetLastError())) return true;
        noteFailure(error, path);
        return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return removeOne(path, attributes, error, freed);
    }

    // Folders in the order they were found; removed from the last back, so a folder goes
    // after everything inside it. No recursion: depth can't overflow the stack.
    struct Folder {
        std::wstring path;
        DWORD attributes;
    };
    std::vector<Folder> folders{{path, attributes}};
    bool complete = true;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const std::wstring folder = folders[i].path;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0);
        if (search == INVALID_HANDLE_VALUE) {
            if (!gone(GetLastError())) {
                noteFailure(error, folder);
                complete = false;
            }
            continue;
        }
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = folder + L"\\" + name;
            const DWORD childAttributes = found.dwFileAttributes;
            if ((childAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(childAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                folders.push_back({child, childAttributes});
            } else {
                complete &= removeOne(child, childAttributes, error, freed);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    for (std::size_t i = folders.size(); i-- > 0;) {
        complete &= removeOne(folders[i].path, folders[i].attributes, error, freed);
    }
    return complete;
}

}  // namespace tw::win32_platform
