// Minimise into the tray and back, and a start in the tray that never shows the window.

#include <gtest/gtest.h>

#include "app/settings.h"
#include "window_fixture.h"

#include <commctrl.h>

namespace tw {
namespace {

using win32_test::RenderedForm;

// Counts the times the system puts a window on screen (a position change that shows it).
class ShowCounter {
  public:
    explicit ShowCounter(HWND window) : window_(window) {
        SetWindowSubclass(window_, &ShowCounter::proc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~ShowCounter() { RemoveWindowSubclass(window_, &ShowCounter::proc, 1); }
    int count() const { return shows_; }

  private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) {
        if (message == WM_WINDOWPOSCHANGED &&
            (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW)) {
            ++reinterpret_cast<ShowCounter*>(data)->shows_;
        }
        return DefSubclassProc(window, message, wParam, lParam);
    }
    HWND window_;
    int shows_ = 0;
};

TEST(Win32WindowState, MinimisingHidesIntoTheTrayAndATrayClickBringsBackANormalWindow) {
    RenderedForm r;
    ASSERT_TRUE(r.notificationArea.isAvailable());
    r.loadAndShow();
    ASSERT_TRUE(IsWindowVisible(r.hwnd()));

    // The user's minimise: the model hides the window (and shows the balloon meanwhile).
    ShowWindow(r.hwnd(), SW_MINIMIZE);
    r.pumpMessages();
    EXPECT_FALSE(IsWindowVisible(r.hwnd()));
    EXPECT_TRUE(r.form->MinimizedToTray);
    EXPECT_EQ(r.form->Form.windowState(), controls::WindowState::Normal);

    r.form->cSysTray1_MouseUp(1, 0);
    r.pumpMessages();
    EXPECT_TRUE(IsWindowVisible(r.hwnd()));
    EXPECT_FALSE(IsIconic(r.hwnd()));
    EXPECT_FALSE(r.form->MinimizedToTray);
    RECT client{};
    GetClientRect(r.hwnd(), &client);
    EXPECT_EQ(client.right, 536);
    EXPECT_EQ(client.bottom, 475);

    // And again: the second time is the same, without a balloon.
    ShowWindow(r.hwnd(), SW_MINIMIZE);
    r.pumpMessages();
    EXPECT_FALSE(IsWindowVisible(r.hwnd()));
    r.form->cSysTray1_MouseUp(2, 0);
    r.pumpMessages();
    EXPECT_TRUE(IsWindowVisible(r.hwnd()));
    EXPECT_FALSE(IsIconic(r.hwnd()));
}

TEST(Win32WindowState, ANotificationAreaThatGoesAwayGivesTheHiddenWindowBackMinimised) {
    RenderedForm r;
    ASSERT_TRUE(r.notificationArea.isAvailable());
    r.loadAndShow();
    ShowWindow(r.hwnd(), SW_MINIMIZE);
    r.pumpMessages();
    ASSERT_FALSE(IsWindowVisible(r.hwnd()));
    ASSERT_TRUE(r.form->MinimizedToTray);

    r.tray.available = false;
    const DWORD until = GetTickCount() + 10000;
    while (!IsWindowVisible(r.hwnd()) && GetTickCount() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
        r.pumpMessages();
    }
    EXPECT_TRUE(IsWindowVisible(r.hwnd()));
    EXPECT_TRUE(IsIconic(r.hwnd()));
    EXPECT_FALSE(r.form->MinimizedToTray);
}

TEST(Win32WindowState, AStartInTheTrayNeverShowsTheWindowUntilTheIconIsClicked) {
    RenderedForm r;
    ASSERT_TRUE(r.notificationArea.isAvailable());
    r.settings.values[keys::kMinimized] = "On";
    const ShowCounter shows(r.hwnd());
    r.loadAndShow();
    EXPECT_EQ(shows.count(), 0);
    EXPECT_FALSE(IsWindowVisible(r.hwnd()));
    EXPECT_TRUE(r.form->MinimizedToTray);

    r.form->cSysTray1_MouseUp(1, 0);
    r.pumpMessages();
    EXPECT_EQ(shows.count(), 1);
    EXPECT_TRUE(IsWindowVisible(r.hwnd()));
    EXPECT_FALSE(IsIconic(r.hwnd()));
}

}  // namespace
}  // namespace tw
