#include "platform/win32/win32_notification_area.h"

#include <cstring>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"
#include "tray/shell_record.h"

// shellapi.h packs its records on 32-bit Windows; it must come after <windows.h>.
#include <shellapi.h>

namespace tw::win32_platform {

namespace {

template <std::size_t N>
void putText(char (&field)[N], const std::optional<std::string>& text) {
    if (!text) return;
    const std::string ansi = fitAnsi(toAnsi(*text), N);
    std::memcpy(field, ansi.c_str(), ansi.size() + 1);
}

}  // namespace

Win32NotificationArea::Win32NotificationArea(const Win32WindowTable& windows)
    : windows_(windows), taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
    // A program started "as administrator" is otherwise shielded from this message of the
    // ordinary user's Explorer, and would lose its icon for good when Explorer restarts.
    ChangeWindowMessageFilter(taskbarCreated_, MSGFLT_ADD);
}

bool Win32NotificationArea::isAvailable() const {
    return FindWindowA("Shell_TrayWnd", nullptr) != nullptr;
}

void Win32NotificationArea::setIcon(std::uint32_t handle, HICON icon) {
    icons_[handle] = icon;
}

HICON Win32NotificationArea::loadApplicationIcon() {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), 0));
}

HICON Win32NotificationArea::icon(std::uint32_t handle) const {
    const auto it = icons_.find(handle);
    return it == icons_.end() ? nullptr : it->second;
}

void Win32NotificationArea::remember(std::uint32_t message, const Key& key, std::uint32_t flags,
                                     std::uint32_t callbackMessage, std::uint32_t iconHandle,
                                     const std::optional<std::string>& tip) {
    if (message == NIM_DELETE) {
        shown_.erase(key);
        return;
    }
    if (message == NIM_ADD) shown_[key] = Shown{};
    const auto it = shown_.find(key);
    if (it == shown_.end()) return;
    if (flags & NIF_MESSAGE) it->second.callbackMessage = callbackMessage;
    if (flags & NIF_ICON) it->second.icon = iconHandle;
    if (flags & NIF_TIP) it->second.tip = tip;
}

std::int32_t Win32NotificationArea::shellNotifyIcon(std::uint32_t message,
                                                    const ShellRecord& record) {
    const ShellRecordFields fields = decodeShellRecord(record);
    if (fields.cbSize != kShellRecordSize) return 0;
    const HWND window = windows_.hwnd(fields.hWnd);
    if (window == nullptr) return 0;

    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = window;
    data.uID = fields.uID;
    data.uFlags = fields.uFlags;
    data.uCallbackMessage = fields.uCallbackMessage;
    data.hIcon = icon(fields.hIcon);
    putText(data.szTip, fields.szTip);
    data.dwState = fields.dwState;
    data.dwStateMask = fields.dwStateMask;
    putText(data.szInfo, fields.szInfo);
    data.uTimeout = fields.uTimeout;
    putText(data.szInfoTitle, fields.szInfoTitle);
    data.dwInfoFlags = fields.dwInfoFlags;

    // Remembered whether or not the shell takes it: an icon added while Explorer restarts
    // fails now and is added with the new taskbar.
    remember(message, {fields.hWnd, fields.uID}, fields.uFlags, fields.uCallbackMessage,
             fields.hIcon, fields.szTip);
    return Shell_NotifyIconA(message, &data) ? 1 : 0;
}

void Win32NotificationArea::onTaskbarCreated() {
    for (const auto& [key, shown] : shown_) {
        const HWND window = windows_.hwnd(key.first);
        if (window == nullptr) continue;
        NOTIFYICONDATAA data{};
        data.cbSize = NOTIFYICONDATAA_V2_SIZE;
        data.hWnd = window;
        data.uID = key.second;
        if (shown.callbackMessage != 0) {
            data.uFlags |= NIF_MESSAGE;
            data.uCallbackMessage = shown.callbackMessage;
        }
        if (shown.icon) {
            data.uFlags |= NIF_ICON;
            data.hIcon = icon(*shown.icon);
        }
        if (shown.tip) {
            data.uFlags |= NIF_TIP;
            putText(data.szTip, shown.tip);
        }
        // The message also comes when the taskbar only changed (its DPI, say) and still
        // holds the icon: then bring it up to date instead.
        if (!Shell_NotifyIconA(NIM_ADD, &data)) Shell_NotifyIconA(NIM_MODIFY, &data);
    }
}

}  // namespace tw::win32_platform
