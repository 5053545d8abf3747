#pragma once

// The notification area through Shell_NotifyIconA. The core's record names its window and
// icon by logical handles and holds its texts as this host's systemCodePageText made them, in
// the machine's ANSI code page; the call gets the real window, the real icon and those bytes.
//
// When Explorer restarts, its new taskbar starts empty and broadcasts "TaskbarCreated": the
// window host passes that message on to onTaskbarCreated(), which adds every icon of this
// program again as it was last set.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/services/notification_area.h"
#include "platform/win32/win32_window_table.h"

// shellapi.h packs its records on 32-bit Windows; it must come after <windows.h>.
#include <shellapi.h>

namespace tw::win32_platform {

class Win32NotificationArea : public NotificationArea {
  public:
    explicit Win32NotificationArea(const Win32WindowTable& windows);

    // Shell_NotifyIconA's result: 1 done, 0 refused (or a record that names no real window).
    std::int32_t shellNotifyIcon(std::uint32_t message, const ShellRecord& record) override;
    // Whether a taskbar with a notification area is running.
    bool isAvailable() const override;
    // The ANSI code page (CP_ACP), cut so as never to split a double-byte character.
    std::string systemCodePageText(std::string_view utf8, std::size_t fieldSize) const override;
    // What Shell_NotifyIconA gets for the record; nothing for a record that names no real
    // window.
    std::optional<NOTIFYICONDATAA> notifyIconData(const ShellRecord& record) const;

    // The real icon behind a picture handle of the core (kApplicationIconHandle: the
    // program's icon). Not owned.
    void setIcon(std::uint32_t handle, HICON icon);

    UINT taskbarCreatedMessage() const { return taskbarCreated_; }
    void onTaskbarCreated();

  private:
    using Key = std::pair<WindowHandle, std::uint32_t>;
    // An icon as the shell was last told it should look.
    struct Shown {
        std::uint32_t callbackMessage = 0;
        std::optional<std::uint32_t> icon;
        std::optional<std::string> tip;  // in the ANSI code page
    };

    HICON icon(std::uint32_t handle) const;
    void remember(std::uint32_t message, const Key& key, std::uint32_t flags,
                  std::uint32_t callbackMessage, std::uint32_t iconHandle,
                  const std::optional<std::string>& tip);

    const Win32WindowTable& windows_;
    UINT taskbarCreated_ = 0;
    std::map<std::uint32_t, HICON> icons_;
    std::map<Key, Shown> shown_;
};

}  // namespace tw::win32_platform
