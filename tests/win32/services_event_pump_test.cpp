// The message pump: sleeps while it waits, honours the dialog keys of the main window, and
// leaves the end of the program to the outer loop.

#include <gtest/gtest.h>

#include "platform/win32/win32_event_pump.h"
#include "platform/win32/win32_lifetime.h"
#include "services_test_window.h"

namespace tw::win32_platform {
namespace {

double processCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

void CALLBACK quitLate(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(99);
}

TEST(Win32EventPump, WaitsWithoutSpinningAndReturnsOnceAMessageWasHandled) {
    Win32EventPump pump;
    const ULONGLONG start = GetTickCount64();
    const double cpuStart = processCpuSeconds();
    pump.waitForEvents(2.0);
    const double waited = static_cast<double>(GetTickCount64() - start) / 1000.0;
    const double cpu = processCpuSeconds() - cpuStart;
    EXPECT_GE(waited, 1.9);
    // Asleep, the process uses no processor time at all. Polling under Wine spends most of
    // its time in the Wine server, but still well over this in the process itself.
    EXPECT_LT(cpu, 0.05) << "the wait kept the processor busy";

    // A timer's message ends the wait early: the caller looks again whether what it waits
    // for has come.
    win32_test::TestWindow window;
    SetTimer(window.hwnd(), 1, 100, nullptr);
    const ULONGLONG again = GetTickCount64();
    pump.waitForEvents(30.0);
    KillTimer(window.hwnd(), 1);
    EXPECT_GE(window.seen(WM_TIMER), 1);
    EXPECT_LT(GetTickCount64() - again, 20000u);
}

TEST(Win32EventPump, AQuitTakenByANestedPumpStillEndsTheMainLoop) {
    Win32Lifetime lifetime;
    win32_test::TestWindow window;
    // Should the quit get lost, this ends the loop with another code instead of hanging.
    SetTimer(window.hwnd(), 1, 10000, &quitLate);
    PostQuitMessage(3);
    Win32EventPump nested(&lifetime);
    nested.processEvents();  // e.g. the close handler's own pumping
    EXPECT_TRUE(nested.quitSeen());
    Win32EventPump outer(&lifetime);
    EXPECT_EQ(outer.run(), 3);
    KillTimer(window.hwnd(), 1);

    // Ending the program: nothing is handled by the pumps any more.
    Win32EventPump after(&lifetime);
    lifetime.endProgram(5);
    PostMessageA(window.hwnd(), win32_test::TestWindow::kProbeMessage, 0, 0);
    after.processEvents();
    EXPECT_EQ(window.seen(win32_test::TestWindow::kProbeMessage), 0);
    EXPECT_EQ(after.run(), 5);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

TEST(Win32EventPump, TabMovesTheFocusInTheDialogWindow) {
    win32_test::TestWindow window("Tidewell keys", true);
    const auto button = [&](const char* caption, int id, int top) {
        return CreateWindowExA(0, "BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, top,
                               100, 24, window.hwnd(), reinterpret_cast<HMENU>(id),
                               GetModuleHandleA(nullptr), nullptr);
    };
    const HWND first = button("First", 101, 10);
    const HWND second = button("Second", 102, 40);
    SetForegroundWindow(window.hwnd());
    SetFocus(first);
    ASSERT_EQ(GetFocus(), first);

    Win32EventPump pump;
    pump.setDialogWindow(window.hwnd());
    PostMessageA(first, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(first, WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC00F0001u));
    pump.processEvents();
    EXPECT_EQ(GetFocus(), second);
}

}  // namespace
}  // namespace tw::win32_platform
