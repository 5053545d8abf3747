// A small client of the Windows shell for the end-to-end tests:
//   recycle_tool put FILE    moves FILE to the Recycle Bin (SHFileOperationA, FO_DELETE with
//                            FOF_ALLOWUNDO), as Explorer's Delete does
//   recycle_tool count       prints the number of items in the Recycle Bins of all drives
//   recycle_tool focus       prints the class of the window with the keyboard focus in the
//                            foreground thread and its rectangle in its top-level window's
//                            client coordinates: "Edit 130 125 160 141"
// Exits non-zero when the shell reports a failure or nothing holds the focus.

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
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
    std::fprintf(stderr,
                 "usage: recycle_tool put FILE | recycle_tool count | recycle_tool focus\n");
    return 2;
}
