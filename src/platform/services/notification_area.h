#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tw {

// The shell's notification-icon record, 488 bytes, as the shell reads it.
using ShellRecord = std::array<std::uint8_t, 488>;

inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimModify = 1;
inline constexpr std::uint32_t kNimDelete = 2;

class NotificationArea {
  public:
    virtual ~NotificationArea() = default;
    // Adds, modifies or deletes the icon the record describes. Mouse and balloon
    // notifications for it are sent as the record's callback message to the record's window.
    virtual std::int32_t shellNotifyIcon(std::uint32_t message, const ShellRecord& record) = 0;
    // Whether the desktop has a notification area at all right now.
    virtual bool isAvailable() const = 0;
    // A UTF-8 text of the record in this host's system code page, cut between characters to
    // at most fieldSize - 1 bytes so that the field's NUL fits. By default Windows-1252 with
    // '?' for what it cannot hold (defined with the record, tray/shell_record.cpp).
    virtual std::string systemCodePageText(std::string_view utf8, std::size_t fieldSize) const;
};

}  // namespace tw
