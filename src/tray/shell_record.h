#pragma once

// The shell's notification-icon record (488 bytes, the layout with balloon fields and no
// GUID): building it field by field for each operation the tray control performs, and
// reading it back for a notification area that has to interpret it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/services/notification_area.h"
#include "platform/services/window_handle.h"

namespace tw {

inline constexpr std::uint32_t kShellRecordSize = 488;

// uFlags bits.
inline constexpr std::uint32_t kNifMessage = 0x01;
inline constexpr std::uint32_t kNifIcon = 0x02;
inline constexpr std::uint32_t kNifTip = 0x04;
inline constexpr std::uint32_t kNifInfo = 0x10;

// Notification codes the shell sends as the callback's lParam.
inline constexpr std::uint32_t kWmMouseMove = 0x200;
inline constexpr std::uint32_t kWmLButtonDown = 0x201;
inline constexpr std::uint32_t kWmLButtonUp = 0x202;
inline constexpr std::uint32_t kWmLButtonDblClk = 0x203;
inline constexpr std::uint32_t kWmRButtonDown = 0x204;
inline constexpr std::uint32_t kWmRButtonUp = 0x205;
inline constexpr std::uint32_t kWmRButtonDblClk = 0x206;
inline constexpr std::uint32_t kWmMButtonDown = 0x207;
inline constexpr std::uint32_t kWmMButtonUp = 0x208;
inline constexpr std::uint32_t kWmMButtonDblClk = 0x209;
inline constexpr std::uint32_t kNinBalloonShow = 0x402;
inline constexpr std::uint32_t kNinBalloonHide = 0x403;
inline constexpr std::uint32_t kNinBalloonTimeout = 0x404;
inline constexpr std::uint32_t kNinBalloonUserClick = 0x405;

namespace shell_record {

// Byte offsets and widths of the fields.
inline constexpr std::size_t kCbSize = 0;
inline constexpr std::size_t kHWnd = 4;
inline constexpr std::size_t kUId = 8;
inline constexpr std::size_t kUFlags = 12;
inline constexpr std::size_t kUCallbackMessage = 16;
inline constexpr std::size_t kHIcon = 20;
inline constexpr std::size_t kSzTip = 24;
inline constexpr std::size_t kSzTipSize = 128;
inline constexpr std::size_t kDwState = 152;
inline constexpr std::size_t kDwStateMask = 156;
inline constexpr std::size_t kSzInfo = 160;
inline constexpr std::size_t kSzInfoSize = 256;
inline constexpr std::size_t kUTimeout = 416;
inline constexpr std::size_t kSzInfoTitle = 420;
inline constexpr std::size_t kSzInfoTitleSize = 64;
inline constexpr std::size_t kDwInfoFlags = 484;

}  // namespace shell_record

// The record's fields. Texts are UTF-8 here; in the record they are in the host's system code
// page.
// A text that is absent is a field of zero bytes; a present one, even the empty text, is the
// text, one NUL and spaces to the end of the field.
struct ShellRecordFields {
    std::uint32_t cbSize = kShellRecordSize;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    std::optional<std::string> szTip;
    std::uint32_t dwState = 0;
    std::uint32_t dwStateMask = 0;
    std::optional<std::string> szInfo;
    std::uint32_t uTimeout = 0;
    std::optional<std::string> szInfoTitle;
    std::uint32_t dwInfoFlags = 0;

    bool operator==(const ShellRecordFields&) const = default;
};

// The texts go into the record in the host's system code page; without a host, Windows-1252.
ShellRecord encodeShellRecord(const ShellRecordFields& fields);
ShellRecord encodeShellRecord(const ShellRecordFields& fields, const NotificationArea& host);
// A text field reads up to its first NUL (or the whole field when it has none); a field of
// zero bytes reads as absent.
ShellRecordFields decodeShellRecord(const ShellRecord& record);

// The records of the tray control's operations.
ShellRecordFields addIconRecord(WindowHandle window, std::uint32_t iconId,
                                std::optional<std::uint32_t> iconHandle, const std::string& tip);
ShellRecordFields modifyIconRecord(WindowHandle window, std::uint32_t iconId,
                                   std::uint32_t iconHandle);
ShellRecordFields modifyTipRecord(WindowHandle window, std::uint32_t iconId,
                                  const std::string& tip);
ShellRecordFields balloonRecord(WindowHandle window, std::uint32_t iconId, const std::string& text,
                                const std::string& title, std::uint32_t timeoutMs);
// The balloon record turned into the call that takes the balloon away again: empty texts,
// everything else as it was.
ShellRecordFields clearedBalloonRecord(ShellRecordFields balloon);
ShellRecordFields deleteIconRecord(WindowHandle window, std::uint32_t iconId);

// The system code page on this platform is Windows-1252. Characters it cannot represent
// (and bytes that are not UTF-8) become '?'.
std::string utf8ToSystemCodePage(std::string_view utf8);
std::string systemCodePageToUtf8(std::string_view bytes);

}  // namespace tw
