// The user's input in the native controls reaches the model once, and the model's own changes
// reach the controls without coming back as input.

#include <gtest/gtest.h>

#include "app/settings.h"
#include "window_fixture.h"

#include <commctrl.h>

namespace tw {
namespace {

using win32_test::RenderedForm;

std::string textOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void type(HWND edit, const std::string& text) {
    for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// A key as the keyboard delivers it, through the program's loop.
void press(HWND target, WPARAM key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

bool checked(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

TEST(Win32WindowInput, TypingReachesTheModelOnceAndTheProgramsOwnTextIsNotEchoed) {
    RenderedForm r;
    Form1& f = *r.form;
    r.loadAndShow();
    HWND days = r.window(f.Text3);
    ASSERT_EQ(textOf(days), "1");
    r.settings.writes.clear();

    SetFocus(days);
    r.pumpMessages();
    SendMessageA(days, EM_SETSEL, 0, -1);
    type(days, "7");
    r.pumpMessages();
    EXPECT_EQ(f.Text3.text(), "7");
    EXPECT_EQ(r.settings.writesOf(keys::kText3), std::vector<std::string>{"7"});

    // The program's own change shows in the box and is stored once: the box's change
    // notification for it is not taken for typing.
    f.Text3.setText("12");
    r.pumpMessages();
    EXPECT_EQ(textOf(days), "12");
    EXPECT_EQ(r.settings.writesOf(keys::kText3), (std::vector<std::string>{"7", "12"}));

    // A letter the ANSI code page lacks shows as '?' in the box; coming back as typing it
    // would overwrite the stored text with the question mark.
    f.Text3.setText("5\u03A9");
    r.pumpMessages();
    EXPECT_EQ(f.Text3.text(), "5\u03A9");
    EXPECT_EQ(r.settings.writesOf(keys::kText3).back(), "5\u03A9");
    EXPECT_EQ(r.settings.writesOf(keys::kText3).size(), 3u);
    f.Text3.setText("12");
    r.settings.writes.clear();

    // Typing on after the program's change goes on from what the box shows.
    SendMessageA(days, EM_SETSEL, 2, 2);
    type(days, "3");
    r.pumpMessages();
    EXPECT_EQ(f.Text3.text(), "123");
    EXPECT_EQ(r.settings.writesOf(keys::kText3), std::vector<std::string>{"123"});
}

TEST(Win32WindowInput, AClickOnAnOptionButtonChoosesItAndClearsTheOthers) {
    RenderedForm r;
    Form1& f = *r.form;
    r.loadAndShow();
    ASSERT_TRUE(f.Option3.value());
    r.settings.writes.clear();

    SendMessageA(r.window(f.Option2), BM_CLICK, 0, 0);
    r.pumpMessages();
    EXPECT_TRUE(f.Option2.value());
    EXPECT_FALSE(f.Option3.value());
    EXPECT_TRUE(checked(r.window(f.Option2)));
    EXPECT_FALSE(checked(r.window(f.Option3)));
    EXPECT_FALSE(checked(r.window(f.Option1)));
    EXPECT_EQ(r.settings.values[keys::kOption2], "True");
    EXPECT_EQ(r.settings.values[keys::kOption3], "False");

    // A second click on the chosen one changes nothing and stores nothing.
    const std::size_t writes = r.settings.writes.size();
    SendMessageA(r.window(f.Option2), BM_CLICK, 0, 0);
    r.pumpMessages();
    EXPECT_EQ(r.settings.writes.size(), writes);
}

TEST(Win32WindowInput, TabWalksTheTabOrderAndPassingAnOptionButtonDoesNotChooseIt) {
    RenderedForm r;
    Form1& f = *r.form;
    r.loadAndShow();
    ASSERT_EQ(GetFocus(), r.window(f.Check4));
    press(GetFocus(), VK_TAB);
    r.pumpMessages();
    EXPECT_EQ(GetFocus(), r.window(f.Check8));

    // The picker comes before " Weekly:" in the tab order; tabbing onto it only focuses it.
    SetFocus(r.window(f.dtpWeekly));
    r.pumpMessages();
    press(GetFocus(), VK_TAB);
    r.pumpMessages();
    EXPECT_EQ(GetFocus(), r.window(f.Option1));
    EXPECT_FALSE(f.Option1.value());
    EXPECT_TRUE(f.Option3.value());
    EXPECT_FALSE(checked(r.window(f.Option1)));

    // Space on it is the user's choice.
    press(GetFocus(), VK_SPACE);
    r.pumpMessages();
    EXPECT_TRUE(f.Option1.value());
    EXPECT_FALSE(f.Option3.value());
}

TEST(Win32WindowInput, FocusMovesAreReportedAndALetterInANumberBoxIsRefusedOnLeaving) {
    RenderedForm r;
    Form1& f = *r.form;
    r.loadAndShow();
    HWND hours = r.window(f.Text11);
    SetFocus(hours);
    r.pumpMessages();
    EXPECT_EQ(f.Form.focused(), &f.Text11);
    // GotFocus selects the whole text, and the box shows it selected.
    DWORD start = 0, end = 0;
    SendMessageA(hours, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, f.Text11.text().size());

    type(hours, "x");
    r.pumpMessages();
    SetFocus(r.window(f.Text2));
    r.pumpMessages();
    ASSERT_EQ(r.messageBox.shown, std::vector<std::string>{"Must be a numeric entry."});
    // The box with the letter has the focus back, in the model and on screen.
    EXPECT_EQ(f.Form.focused(), &f.Text11);
    EXPECT_EQ(GetFocus(), hours);
}

TEST(Win32WindowInput, CheckBoxListAndCloseBoxReachTheModel) {
    RenderedForm r;
    Form1& f = *r.form;
    r.loadAndShow();
    SendMessageA(r.window(f.Check8), BM_CLICK, 0, 0);
    r.pumpMessages();
    EXPECT_EQ(f.Check8.value(), 1);
    EXPECT_TRUE(checked(r.window(f.Check8)));
    EXPECT_EQ(r.settings.values[keys::kMinimized], "On");

    HWND list = r.window(f.cboWeekly);
    SetFocus(list);
    press(list, VK_DOWN);
    r.pumpMessages();
    EXPECT_EQ(f.cboWeekly.text(), "Tuesday");
    EXPECT_EQ(r.settings.values[keys::kWeekly], "Tuesday");

    // The status line is the frame's caption.
    f.Frame2.setCaption("On. Next empty will occur in: 00:59:59");
    EXPECT_EQ(textOf(r.window(f.Frame2)), "On. Next empty will occur in: 00:59:59");

    // The close box runs the close handler, which ends the program; nothing is shown again.
    SendMessageA(r.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(r.lifetime.ended());
    EXPECT_TRUE(IsWindow(r.hwnd()));
    f.Form.setVisible(true);
    r.pumpMessages();
    EXPECT_FALSE(IsWindowVisible(r.hwnd()));
}

TEST(Win32WindowMessages, TaskbarCreatedReachesTheTrayAndLoggingOffClosesTheProgram) {
    int readded = 0;
    RenderedForm r([&] { ++readded; });
    r.loadAndShow();
    // Explorer broadcasts it to every top-level window when it starts again.
    SendMessageA(r.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(readded, 1);
    EXPECT_FALSE(r.lifetime.ended());

    // Logging off that another program cancels is not a close.
    SendMessageA(r.hwnd(), WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(r.lifetime.ended());
    EXPECT_EQ(SendMessageA(r.hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(r.hwnd(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(r.lifetime.ended());
    EXPECT_FALSE(r.form->Timer1.timerEnabled());
}

}  // namespace
}  // namespace tw
