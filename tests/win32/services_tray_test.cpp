// The tray control on the real services: its icon in Wine's notification area, the shell's
// callback delivered through the real subclass, and the icon added again for a new taskbar.

#include <gtest/gtest.h>

#include "app/form1.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_lifetime.h"
#include "platform/win32/win32_notification_area.h"
#include "platform/win32/win32_window_hook.h"
#include "services_test_window.h"
#include "tray/c_sys_tray.h"
#include "tray/shell_record.h"

#include <shellapi.h>

namespace tw::win32_platform {
namespace {

using win32_test::TestWindow;

// Whether the shell holds this window's icon: only an icon it holds can be modified.
bool shellHoldsIcon(HWND window) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = window;
    data.uID = 0;
    data.uFlags = NIF_TIP;
    lstrcpyA(data.szTip, "probe");
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

struct Tray {
    Win32WindowTable windows;
    TestWindow window{"Tidewell tray"};
    Win32WindowHook hook{windows};
    Win32NotificationArea area{windows};
    Win32Lifetime lifetime;
    Win32EventPump pump{&lifetime};
    Win32Clock clock;
    std::optional<cSysTray> tray;
    std::vector<std::pair<int, int>> mouseUps;

    Tray() {
        windows.bind(kTrayWindowHandle, window.hwnd());
        area.setIcon(kApplicationIconHandle,
                     LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));
        tray.emplace(cSysTray::Services{area, hook, pump, clock}, kTrayWindowHandle,
                     Picture{Picture::Type::Icon, kApplicationIconHandle});
        tray->MouseUp = [this](std::int16_t button, std::int32_t id) {
            mouseUps.emplace_back(button, id);
        };
        tray->setTrayTip("Tidewell");
        tray->setTrayIcon(Picture{Picture::Type::Icon, kApplicationIconHandle});
    }
};

TEST(Win32Tray, AClickOnTheIconReachesTheControlThroughTheSubclass) {
    Tray t;
    ASSERT_TRUE(t.area.isAvailable()) << "no notification area: is the Wine desktop running?";
    t.tray->setInTray(true);
    EXPECT_TRUE(shellHoldsIcon(t.window.hwnd()));
    EXPECT_NE(GetWindowLongA(t.window.hwnd(), GWL_WNDPROC),
              reinterpret_cast<LONG>(TestWindow::ownProcedure()));

    // What the shell sends for a left click: the callback message with WM_LBUTTONUP.
    PostMessageA(t.window.hwnd(), kTrayCallbackMessage, 0, WM_LBUTTONUP);
    t.pump.processEvents();
    ASSERT_EQ(t.mouseUps.size(), 1u);
    EXPECT_EQ(t.mouseUps[0], std::make_pair(1, 0));
    // The message goes on to the window's own procedure too, and so does every other one,
    // with its own procedure's answer.
    EXPECT_EQ(t.window.seen(kTrayCallbackMessage), 1);
    EXPECT_EQ(t.window.lastLParam(kTrayCallbackMessage), WM_LBUTTONUP);
    EXPECT_EQ(SendMessageA(t.window.hwnd(), TestWindow::kProbeMessage, 0, 0),
              TestWindow::kOwnAnswer);

    t.tray->setInTray(false);
    EXPECT_FALSE(shellHoldsIcon(t.window.hwnd()));
    EXPECT_EQ(GetWindowLongA(t.window.hwnd(), GWL_WNDPROC),
              reinterpret_cast<LONG>(TestWindow::ownProcedure()));
    PostMessageA(t.window.hwnd(), kTrayCallbackMessage, 0, WM_LBUTTONUP);
    t.pump.processEvents();
    EXPECT_EQ(t.mouseUps.size(), 1u);
    EXPECT_EQ(t.window.seen(kTrayCallbackMessage), 2);
}

TEST(Win32Tray, TheIconComesBackWhenANewTaskbarIsCreated) {
    Tray t;
    t.tray->setInTray(true);
    ASSERT_TRUE(shellHoldsIcon(t.window.hwnd()));
    // A restarted Explorer starts with an empty notification area.
    NOTIFYICONDATAA gone{};
    gone.cbSize = NOTIFYICONDATAA_V2_SIZE;
    gone.hWnd = t.window.hwnd();
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
    ASSERT_FALSE(shellHoldsIcon(t.window.hwnd()));

    t.area.onTaskbarCreated();
    EXPECT_TRUE(shellHoldsIcon(t.window.hwnd()));
    PostMessageA(t.window.hwnd(), kTrayCallbackMessage, 0, WM_RBUTTONUP);
    t.pump.processEvents();
    ASSERT_EQ(t.mouseUps.size(), 1u);
    EXPECT_EQ(t.mouseUps[0], std::make_pair(2, 0));

    // Once the program took its icon out, a new taskbar brings nothing back.
    t.tray->setInTray(false);
    t.area.onTaskbarCreated();
    EXPECT_FALSE(shellHoldsIcon(t.window.hwnd()));
    EXPECT_NE(t.area.taskbarCreatedMessage(), 0u);
}

TEST(Win32Tray, ARecordForAWindowTheHostHasNotCreatedIsRefused) {
    Win32WindowTable windows;
    Win32NotificationArea area(windows);
    const ShellRecord record =
        encodeShellRecord(addIconRecord(kTrayWindowHandle, 0, 1, "Tidewell"));
    EXPECT_EQ(area.shellNotifyIcon(kNimAdd, record), 0);
}

// The records the tray control hands over, on their way to the real shell.
struct RecordingArea : Win32NotificationArea {
    using Win32NotificationArea::Win32NotificationArea;
    std::int32_t shellNotifyIcon(std::uint32_t message, const ShellRecord& record) override {
        records.push_back(record);
        return Win32NotificationArea::shellNotifyIcon(message, record);
    }
    std::vector<ShellRecord> records;
};

// Run by the win32_services_greek test, whose Wine process has the Greek ANSI code page:
// Greek is outside Windows-1252, so a fixed Windows-1252 in between turns it into '?'.
TEST(Win32Tray, ATipReachesTheShellInTheAnsiCodePage) {
    if (GetACP() != 1253) GTEST_SKIP() << "needs the Greek ANSI code page (1253)";
    Win32WindowTable windows;
    TestWindow window{"Tidewell tray"};
    Win32WindowHook hook{windows};
    RecordingArea area{windows};
    Win32Lifetime lifetime;
    Win32EventPump pump{&lifetime};
    Win32Clock clock;
    windows.bind(kTrayWindowHandle, window.hwnd());
    cSysTray tray(cSysTray::Services{area, hook, pump, clock}, kTrayWindowHandle,
                  Picture{Picture::Type::Icon, kApplicationIconHandle});
    // "Καλάθι".
    tray.setTrayTip("\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xAC\xCE\xB8\xCE\xB9");
    tray.setInTray(true);
    ASSERT_FALSE(area.records.empty());
    std::optional<NOTIFYICONDATAA> data = area.notifyIconData(area.records.back());
    ASSERT_TRUE(data.has_value());
    EXPECT_STREQ(data->szTip, "\xCA\xE1\xEB\xDC\xE8\xE9");

    // Too long for the field: cut so that the NUL fits.
    std::string omegas;
    for (int i = 0; i < 200; ++i) omegas += "\xCE\xA9";
    tray.setTrayTip(omegas);
    data = area.notifyIconData(area.records.back());
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(std::string(data->szTip), std::string(127, '\xD9'));
    tray.setInTray(false);
}

}  // namespace
}  // namespace tw::win32_platform
