#include "platform/win32/win32_recycle_bin.h"

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"

// In shell32 (and MinGW's import library) since Windows 2000, but in none of MinGW's headers.
extern "C" __declspec(dllimport) void WINAPI SHUpdateRecycleBinIcon(void);

namespace tw::win32_platform {

std::int64_t Win32RecycleBinShell::itemsIn(const char* rootPath) const {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    if (FAILED(calls_.query(rootPath, &info))) return -1;
    return info.i64NumItems;
}

std::uint32_t Win32RecycleBinShell::getLogicalDriveStrings(std::uint32_t bufferLength,
                                                           char* buffer) {
    return GetLogicalDriveStringsA(bufferLength, buffer);
}

DriveType Win32RecycleBinShell::getDriveType(const std::string& rootPath) {
    return static_cast<DriveType>(GetDriveTypeA(toAnsi(rootPath).c_str()));
}

std::int32_t Win32RecycleBinShell::queryRecycleBin(const std::string& rootPath,
                                                   RecycleBinQuery& query) {
    SHQUERYRBINFO info{};
    info.cbSize = query.cbSize;
    const HRESULT result = calls_.query(toAnsi(rootPath).c_str(), &info);
    const auto size = static_cast<std::uint64_t>(info.i64Size);
    const auto items = static_cast<std::uint64_t>(info.i64NumItems);
    query.sizeLow = static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
    query.sizeHigh = static_cast<std::int32_t>(static_cast<std::uint32_t>(size >> 32));
    query.itemsLow = static_cast<std::int32_t>(static_cast<std::uint32_t>(items));
    query.itemsHigh = static_cast<std::int32_t>(static_cast<std::uint32_t>(items >> 32));
    return static_cast<std::int32_t>(result);
}

std::int32_t Win32RecycleBinShell::emptyRecycleBin(WindowHandle owner, const char* rootPath,
                                                   std::uint32_t flags, const EmptyOrder&,
                                                   EmptyReport&) {
    const std::string root = rootPath ? toAnsi(rootPath) : std::string();
    const char* shellRoot = rootPath ? root.c_str() : nullptr;
    const HRESULT result = calls_.empty(windows_.hwnd(owner), shellRoot, flags);
    if (FAILED(result)) return static_cast<std::int32_t>(result);
    // The interface promises success only when the bins are empty; ask them, not the result.
    return itemsIn(shellRoot) == 0 ? kShellOk : kShellFail;
}

void Win32RecycleBinShell::updateRecycleBinIcon() {
    SHUpdateRecycleBinIcon();
}

}  // namespace tw::win32_platform
