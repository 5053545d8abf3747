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

// Removes one entry that is not walked into: a file, or a link of either kind. A read-only
// entry is made writable first, as the shell's own removal does.
bool removeOne(const std::wstring& path, DWORD attributes, std::string& error) {
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesW(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    const BOOL ok = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str())
                                                            : DeleteFileW(path.c_str());
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

bool removePayload(const std::wstring& path, std::string& error) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (gone(GetLastError())) return true;
        noteFailure(error, path);
        return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return removeOne(path, attributes, error);
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
                complete &= removeOne(child, childAttributes, error);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    for (std::size_t i = folders.size(); i-- > 0;) {
        complete &= removeOne(folders[i].path, folders[i].attributes, error);
    }
    return complete;
}

}  // namespace tw::win32_platform
