#include "platform/win32/win32_journal_location.h"

#include "platform/win32/win32_api.h"

#include <shlobj.h>

#include <cstdlib>

#include "app/product.h"

namespace tw::win32_platform {

std::filesystem::path JournalLocation() {
    // Wide throughout: a user name outside the ANSI code page still finds its folder.
    wchar_t folder[MAX_PATH];
    std::filesystem::path base;
    if (SUCCEEDED(
            SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        base = folder;
    } else if (const wchar_t* variable = _wgetenv(L"LOCALAPPDATA"); variable && *variable) {
        base = variable;
    } else {
        return {};
    }
    return base / kMakerName / kProductName / "journal.log";
}

}  // namespace tw::win32_platform
