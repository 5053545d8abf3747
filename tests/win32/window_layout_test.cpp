// The native window as designed: client size, border, each child window's class, caption and
// place (twips / 15 at 96 DPI), fonts and the tab order.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "window_fixture.h"

#include <commctrl.h>

namespace tw {
namespace {

using win32_test::RenderedForm;

std::string className(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string textOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK collectChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

// The direct children of the main window.
std::set<HWND> childrenOf(HWND window) {
    std::vector<HWND> all;
    EnumChildWindows(window, &collectChild, reinterpret_cast<LPARAM>(&all));
    std::set<HWND> direct;
    for (HWND w : all) {
        if (GetParent(w) == window) direct.insert(w);
    }
    return direct;
}

int pixels(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

// Where a control belongs in the window's client area at 96 DPI: its container's place plus
// its own, each in twips / 15.
RECT designedPlace(const controls::Control& c) {
    RECT r{pixels(c.geometry().left), pixels(c.geometry().top), 0, 0};
    for (const controls::Control* k = c.container(); k && k->kind() != controls::Kind::Window;
         k = k->container()) {
        r.left += pixels(k->geometry().left);
        r.top += pixels(k->geometry().top);
    }
    r.right = r.left + pixels(c.geometry().width);
    r.bottom = r.top + pixels(c.geometry().height);
    return r;
}

RECT placeInClient(HWND child, HWND window) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(Win32WindowLayout, ClientAreaIsFixedWithMinimiseAndCloseButNoMaximise) {
    RenderedForm r;
    RECT client{};
    GetClientRect(r.hwnd(), &client);
    EXPECT_EQ(client.right, 536);
    EXPECT_EQ(client.bottom, 475);
    const LONG style = GetWindowLongA(r.hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(textOf(r.hwnd()), "Form1");
    EXPECT_FALSE(IsWindowVisible(r.hwnd()));
}

TEST(Win32WindowLayout, EveryControlIsAChildWindowOfItsKindAtItsTwipPlace) {
    RenderedForm r;
    const std::set<HWND> children = childrenOf(r.hwnd());
    struct Expect {
        const char* className;
        DWORD typeMask;
        DWORD type;
    };
    using K = controls::Kind;
    const std::map<K, Expect> kinds{
        {K::Frame, {"Button", BS_TYPEMASK, BS_GROUPBOX}},
        {K::OptionButton, {"Button", BS_TYPEMASK, BS_RADIOBUTTON}},
        {K::CheckBox, {"Button", BS_TYPEMASK, BS_3STATE}},
        {K::PushButton, {"Button", BS_TYPEMASK, BS_PUSHBUTTON}},
        {K::Label, {"Static", 0, 0}},
        {K::TextBox, {"Edit", ES_CENTER, ES_CENTER}},
        {K::ComboBox, {"ComboBox", 0x3, CBS_DROPDOWNLIST}},
        {K::TimePicker, {"SysDateTimePick32", DTS_TIMEFORMAT, DTS_TIMEFORMAT}},
        {K::ProgressBar, {"msctls_progress32", 0, 0}},
    };
    std::size_t rendered = 0;
    for (const controls::Control* c : r.form->Form.controls()) {
        HWND w = r.window(*c);
        if (c->kind() == K::Timer) {
            EXPECT_EQ(w, nullptr);
            continue;
        }
        ASSERT_NE(w, nullptr) << c->name();
        ++rendered;
        EXPECT_TRUE(children.count(w)) << c->name() << " is not a child of the window";
        const Expect& e = kinds.at(c->kind());
        EXPECT_EQ(className(w), e.className) << c->name();
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE)) & e.typeMask, e.type)
            << c->name();
        const RECT want = designedPlace(*c);
        const RECT got = placeInClient(w, r.hwnd());
        EXPECT_EQ(got.left, want.left) << c->name();
        EXPECT_EQ(got.top, want.top) << c->name();
        EXPECT_EQ(got.right, want.right) << c->name();
        // A closed drop-down list is as high as the design's box, not as its list.
        EXPECT_EQ(got.bottom, want.bottom) << c->name();
        if (c->kind() != K::TextBox && c->kind() != K::ComboBox && c->kind() != K::TimePicker) {
            EXPECT_EQ(textOf(w), c->caption()) << c->name();
        }
    }
    // No window the model does not know about (the tray's window is not a child).
    EXPECT_EQ(children.size(), rendered);
    EXPECT_FALSE(children.count(r.renderer->trayHwnd()));
}

TEST(Win32WindowLayout, FontsAreArialNinePointBoldAndButtonsElevenAndAQuarter) {
    RenderedForm r;
    Form1& f = *r.form;
    const auto fontOf = [&](const controls::Control& c) {
        LOGFONTA font{};
        HFONT handle = reinterpret_cast<HFONT>(SendMessageA(r.window(c), WM_GETFONT, 0, 0));
        GetObjectA(handle, sizeof font, &font);
        return font;
    };
    for (const controls::Control* c : std::initializer_list<const controls::Control*>{
             &f.Option1, &f.Check4, &f.Text11, &f.Frame2, &f.Label4, &f.dtpWeekly, &f.cboWeekly,
             &f.Text4}) {
        const LOGFONTA font = fontOf(*c);
        EXPECT_STREQ(font.lfFaceName, "Arial") << c->name();
        EXPECT_EQ(font.lfHeight, -12) << c->name();
        EXPECT_EQ(font.lfWeight, FW_BOLD) << c->name();
    }
    for (const controls::Control* c : std::initializer_list<const controls::Control*>{
             &f.PushButton1, &f.PushButton2, &f.PushButton4, &f.PushButton5}) {
        const LOGFONTA font = fontOf(*c);
        EXPECT_STREQ(font.lfFaceName, "Arial") << c->name();
        EXPECT_EQ(font.lfHeight, -15) << c->name();
        EXPECT_EQ(font.lfWeight, FW_BOLD) << c->name();
    }
}

TEST(Win32WindowLayout, TabOrderFollowsTheTabIndicesAndTheFirstFocusIsTheStartUpBox) {
    RenderedForm r;
    Form1& f = *r.form;
    std::map<HWND, std::string> names;
    std::vector<std::pair<int, std::string>> byIndex;
    for (controls::Control* c : f.Form.controls()) {
        HWND w = r.window(*c);
        if (!w) continue;
        names[w] = c->name();
        if (GetWindowLongA(w, GWL_STYLE) & WS_TABSTOP)
            byIndex.push_back({c->tabIndex(), c->name()});
    }
    // Tab visits every control that takes the focus once, in the order of the tab indices.
    std::sort(byIndex.begin(), byIndex.end());
    std::vector<std::string> expected;
    for (const auto& [index, name] : byIndex) expected.push_back(name);
    ASSERT_GT(expected.size(), 10u);
    r.loadAndShow();
    EXPECT_EQ(GetFocus(), r.window(f.Check4));
    std::vector<std::string> chain;
    HWND start = r.window(f.Check4);
    HWND w = start;
    do {
        chain.push_back(names[w]);
        w = GetNextDlgTabItem(r.hwnd(), w, FALSE);
    } while (w && w != start && chain.size() < 40);
    EXPECT_EQ(chain, expected);
}

}  // namespace
}  // namespace tw
