#include "platform/win32/win32_notification_area.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_text.h"
#include "tray/shell_record.h"

// shellapi.h packs its records on 32-bit Windows; it must come after <windows.h>.
#include <shellapi.h>

namespace tw::win32_platform {

namespace {

// A text field of the record as the host's conversion wrote it: already in the ANSI code
// page and cut to fit, so it is taken byte for byte. Absent when the field is all zero.
std::optional<std::string> recordText(const ShellRecord& record, std::size_t offset,
                                      std::size_t size) {
    const auto begin = record.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = begin + static_cast<std::ptrdiff_t>(size);
    if (std::all_of(begin, end, [](std::uint8_t b) { return b == 0; })) return std::nullopt;
    return std::string(begin, std::find(begin, end - 1, std::uint8_t{0}));
}

template <std::size_t N>
void putText(char (&field)[N], const std::optional<std::string>& ansi) {
    if (!ansi) return;
    const std::size_t length = std::min(ansi->size(), N - 1);
    std::memcpy(field, ansi->data(), length);
    field[length] = '\0';
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

std::string Win32NotificationArea::systemCodePageText(std::string_view utf8,
                                                      std::size_t fieldSize) const {
    return fitAnsi(toAnsi(utf8), fieldSize);
}

std::optional<NOTIFYICONDATAA> Win32NotificationArea::notifyIconData(
    const ShellRecord& record) const {
    using namespace shell_record;
    static_assert(sizeof(NOTIFYICONDATAA::szTip) == kSzTipSize &&
                  sizeof(NOTIFYICONDATAA::szInfo) == kSzInfoSize &&
                  sizeof(NOTIFYICONDATAA::szInfoTitle) == kSzInfoTitleSize);
    const ShellRecordFields fields = decodeShellRecord(record);
    if (fields.cbSize != kShellRecordSize) return std::nullopt;
    const HWND window = windows_.hwnd(fields.hWnd);
    if (window == nullptr) return std::nullopt;

    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = window;
    data.uID = fields.uID;
    data.uFlags = fields.uFlags;
    data.uCallbackMessage = fields.uCallbackMessage;
    data.hIcon = icon(fields.hIcon);
    putText(data.szTip, recordText(record, kSzTip, kSzTipSize));
    data.dwState = fields.dwState;
    data.dwStateMask = fields.dwStateMask;
    putText(data.szInfo, recordText(record, kSzInfo, kSzInfoSize));
    data.uTimeout = fields.uTimeout;
    putText(data.szInfoTitle, recordText(record, kSzInfoTitle, kSzInfoTitleSize));
    data.dwInfoFlags = fields.dwInfoFlags;
    return data;
}

std::int32_t Win32NotificationArea::shellNotifyIcon(std::uint32_t message,
                                                    const ShellRecord& record) {
    std::optional<NOTIFYICONDATAA> data = notifyIconData(record);
    if (!data) return 0;
    const ShellRecordFields fields = decodeShellRecord(record);
    // Remembered whether or not the shell takes it: an icon added while Explorer restarts
    // fails now and is added with the new taskbar.
    remember(message, {fields.hWnd, fields.uID}, fields.uFlags, fields.uCallbackMessage,
             fields.hIcon, recordText(record, shell_record::kSzTip, shell_record::kSzTipSize));
    return Shell_NotifyIconA(message, &*data) ? 1 : 0;
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
