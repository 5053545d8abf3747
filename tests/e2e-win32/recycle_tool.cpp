// A small client of the Windows shell for the end-to-end tests:
//   recycle_tool put FILE    moves FILE to the Recycle Bin (SHFileOperationA, FO_DELETE with
//                            FOF_ALLOWUNDO), as Explorer's Delete does
//   recycle_tool count       prints the number of items in the Recycle Bins of all drives
//   recycle_tool record ID BYTES HOURS [ID BYTES HOURS ...]
//                            writes items into this user's bin on C: as Windows keeps them:
//                            a payload `$R<ID>` of BYTES bytes and its record `$I<ID>` saying it
//                            was deleted HOURS hours ago from C:\<ID> (many in one run: each
//                            start of a Wine program may meet a server on its way out)
//   recycle_tool focus       prints the class of the window with the keyboard focus in the
//                            foreground thread and its rectangle in its top-level window's
//                            client coordinates: "Edit 130 125 160 141"
// Exits non-zero when the shell reports a failure or nothing holds the focus.

#include <windows.h>

#include <sddl.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int put(const char* path) {
    // The list of names ends with an empty one.
    std::string from(path);
    from.push_back('\0');
    from.push_back('\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const int result = SHFileOperationA(&op);
    if (result != 0 || op.fAnyOperationsAborted) {
        std::fprintf(stderr, "SHFileOperationA failed: %d\n", result);
        return 1;
    }
    return 0;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

// The bin folder of the user running this: C:\$Recycle.Bin\<the user's SID>.
std::string binFolder() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    char buffer[256];
    DWORD length = 0;
    char* sid = nullptr;
    if (!GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &length) ||
        !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
        return {};
    }
    CloseHandle(token);
    const std::string folder = std::string("C:\\$Recycle.Bin\\") + sid;
    LocalFree(sid);
    CreateDirectoryA("C:\\$Recycle.Bin", nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// A version 2 record: version, size, deletion time (UTC FILETIME), the path's character count
// with its NUL, then the path in UTF-16.
int record(const std::string& id, std::uint64_t bytes, std::uint64_t hours) {
    const std::string folder = binFolder();
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t deletedAt =
        ((std::uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime) - hours * 36'000'000'000;
    const std::string original = "C:\\" + id;
    std::string data(28 + 2 * (original.size() + 1), '\0');
    auto put = [&](std::size_t at, std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) data[at + i] = char((value >> (8 * i)) & 0xff);
    };
    put(0, 2, 8);
    put(8, bytes, 8);
    put(16, deletedAt, 8);
    put(24, original.size() + 1, 4);
    for (std::size_t i = 0; i < original.size(); ++i) put(28 + 2 * i, std::uint8_t(original[i]), 2);
    if (folder.empty() || !writeFile(folder + "\\$R" + id, std::string(bytes, 'x')) ||
        !writeFile(folder + "\\$I" + id, data)) {
        std::fprintf(stderr, "could not write the item %s into %s\n", id.c_str(), folder.c_str());
        return 1;
    }
    return 0;
}

int count() {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    const HRESULT result = SHQueryRecycleBinA(nullptr, &info);
    if (FAILED(result)) {
        std::fprintf(stderr, "SHQueryRecycleBinA failed: 0x%08lx\n",
                     static_cast<unsigned long>(result));
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(info.i64NumItems));
    return 0;
}

// A click on a control gives it the focus only once the program has taken the click from its
// queue; a key typed before that goes to the control that had the focus.
int focus() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(0, &info) || info.hwndFocus == nullptr) return 1;
    char name[64] = {};
    GetClassNameA(info.hwndFocus, name, sizeof name);
    RECT rect{};
    GetWindowRect(info.hwndFocus, &rect);
    MapWindowPoints(HWND_DESKTOP, GetAncestor(info.hwndFocus, GA_ROOT),
                    reinterpret_cast<POINT*>(&rect), 2);
    std::printf("%s %ld %ld %ld %ld\n", name, rect.left, rect.top, rect.right, rect.bottom);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "put") == 0) return put(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "count") == 0) return count();
    if (argc == 2 && std::strcmp(argv[1], "focus") == 0) return focus();
    if (argc >= 5 && (argc - 2) % 3 == 0 && std::strcmp(argv[1], "record") == 0) {
        for (int i = 2; i < argc; i += 3) {
            if (record(argv[i], std::strtoull(argv[i + 1], nullptr, 10),
                       std::strtoull(argv[i + 2], nullptr, 10)) != 0) {
                return 1;
            }
        }
        return 0;
    }
    std::fprintf(stderr,
                 "usage: recycle_tool put FILE | recycle_tool count | recycle_tool focus | "
                 "recycle_tool record ID BYTES HOURS [...]\n");
    return 2;
}
