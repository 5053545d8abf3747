// What the eye and a screen reader get of the window: the status line (the frame's caption)
// changes every second and must never show blank in between, neither cleared by the frame nor
// painted over by the window behind it; its tooltip (why a scheduled empty failed) shows where
// the mouse rests on it; screen readers hear it change, and read each box by the name of its
// label.

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "platform/win32/win32_text.h"
#include "window_fixture.h"

#include <commctrl.h>
#include <oleacc.h>

namespace tw {
namespace {

using win32_test::RenderedForm;

// Whether the start of the frame's caption shows text now: dark pixels in the band where the
// caption is drawn, left of its first half (shorter captions than the one shown don't count).
bool captionInk(HWND frame) {
    HDC window = GetDC(frame);
    const auto font = reinterpret_cast<HFONT>(SendMessageA(frame, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = SelectObject(window, font);
    SIZE text{};
    GetTextExtentPoint32A(window, "Off.", 4, &text);
    SelectObject(window, oldFont);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = text.cx;
    info.bmiHeader.biHeight = -text.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP capture = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(window);
    HGDIOBJ old = SelectObject(memory, capture);
    // The caption starts a few pixels in from the frame's left edge.
    BitBlt(memory, 0, 0, text.cx, text.cy, window, 6, 0, SRCCOPY);
    GdiFlush();
    bool ink = false;
    const auto* pixel = static_cast<const std::uint8_t*>(bits);
    for (long i = 0; i < text.cx * text.cy && !ink; ++i, pixel += 4)
        ink = pixel[0] + pixel[1] + pixel[2] < 3 * 96;
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(capture);
    ReleaseDC(frame, window);
    return ink;
}

struct BlankWatch {
    HWND frame = nullptr;
    int frames = 0;
    int blank = 0;
};

// Captures the caption after every message the window or the frame handles.
LRESULT CALLBACK capture(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                         DWORD_PTR data) {
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    auto& watch = *reinterpret_cast<BlankWatch*>(data);
    ++watch.frames;
    if (!captionInk(watch.frame)) ++watch.blank;
    return result;
}

TEST(Win32StatusLine, NeverShowsBlankWhileItsCaptionChanges) {
    RenderedForm r;
    r.loadAndShow();
    HWND frame = r.window(r.form->Frame2);
    ASSERT_TRUE(captionInk(frame));
    BlankWatch watch{frame};
    SetWindowSubclass(frame, &capture, 7, reinterpret_cast<DWORD_PTR>(&watch));
    SetWindowSubclass(r.hwnd(), &capture, 7, reinterpret_cast<DWORD_PTR>(&watch));
    // What the countdown does at each tick: a caption of another length each time.
    for (int tick = 0; tick < 10; ++tick) {
        r.form->Frame2.setCaption(tick % 2 ? "Off." : "On. Next empty will occur in: 5 minutes");
        r.pumpMessages();
    }
    RemoveWindowSubclass(r.hwnd(), &capture, 7);
    RemoveWindowSubclass(frame, &capture, 7);
    EXPECT_GT(watch.frames, 10);
    EXPECT_EQ(watch.blank, 0) << "of " << watch.frames << " frames";
    EXPECT_TRUE(captionInk(frame));
}

// The tip the main window's tooltip control has for the mouse at `at` (screen coordinates),
// asked of the window the mouse really reaches there; "(none)" without one.
std::string tipAt(HWND main, POINT at) {
    HWND tips = nullptr;
    while ((tips = FindWindowExA(nullptr, tips, TOOLTIPS_CLASSA, nullptr)) &&
           GetWindow(tips, GW_OWNER) != main) {
    }
    if (!tips) return "(no tooltip control)";
    TTHITTESTINFOW hit{};
    hit.hwnd = WindowFromPoint(at);
    hit.pt = at;
    ScreenToClient(hit.hwnd, &hit.pt);
    hit.ti.cbSize = sizeof hit.ti;
    if (!SendMessageW(tips, TTM_HITTESTW, 0, reinterpret_cast<LPARAM>(&hit))) return "(none)";
    wchar_t text[1024] = {};
    hit.ti.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&hit.ti));
    return win32_platform::fromWide(text);
}

TEST(Win32StatusLine, ItsTooltipShowsWhereTheMouseRestsOnItAndNoneOnceCleared) {
    RenderedForm r;
    r.loadAndShow();
    Form1& f = *r.form;
    // Inside the frame, in the band of its caption: no control of its own lies there.
    RECT frame{};
    GetWindowRect(r.window(f.Frame2), &frame);
    const POINT onStatusLine{frame.left + 12, frame.top + 4};
    EXPECT_EQ(tipAt(r.hwnd(), onStatusLine), "(none)");
    f.TellScheduledEmpty("The Recycle Bin on drive D: could not be read: access is denied.");
    r.pumpMessages();
    EXPECT_EQ(tipAt(r.hwnd(), onStatusLine), f.Frame2.toolTip());
    f.TellScheduledEmpty("");
    r.pumpMessages();
    EXPECT_EQ(tipAt(r.hwnd(), onStatusLine), "(none)");
}

// The name a screen reader reads for the window, through the system's accessibility.
std::string accessibleName(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible,
                                          reinterpret_cast<void**>(&object)))) {
        return "(no object)";
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::string utf8 = "(no name)";
    if (object->get_accName(self, &name) == S_OK && name) {
        const int wide = static_cast<int>(SysStringLen(name));
        utf8.resize(static_cast<std::size_t>(
            WideCharToMultiByte(CP_UTF8, 0, name, wide, nullptr, 0, nullptr, nullptr)));
        WideCharToMultiByte(CP_UTF8, 0, name, wide, utf8.data(), static_cast<int>(utf8.size()),
                            nullptr, nullptr);
    }
    SysFreeString(name);
    object->Release();
    return utf8;
}

std::vector<HWND> nameChanges;
void CALLBACK recordNameChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                               DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) nameChanges.push_back(window);
}

TEST(Win32ScreenReader, BoxesAreNamedByTheirLabelsAndTheStatusLineIsAnnounced) {
    // The program's thread is a COM apartment: the names travel as COM objects.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        RenderedForm r;
        r.loadAndShow();
        Form1& f = *r.form;
        EXPECT_EQ(accessibleName(r.window(f.Text3)), f.Label3.caption());
        EXPECT_EQ(accessibleName(r.window(f.Text11)), f.Label5.caption());
        EXPECT_EQ(accessibleName(r.window(f.Text2)), f.Label4.caption());
        EXPECT_EQ(accessibleName(r.window(f.dtpWeekly)), f.Option2.caption());
        EXPECT_EQ(accessibleName(r.window(f.cboWeekly)), "Weekly:");
        EXPECT_EQ(accessibleName(r.window(f.ProgressBar1)), f.ProgressBar1.accessibleName());
        // A control named by its own caption keeps the system's name.
        EXPECT_EQ(accessibleName(r.window(f.PushButton2)), f.PushButton2.caption());

        HWINEVENTHOOK hook =
            SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                            &recordNameChange, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
        ASSERT_NE(hook, nullptr);
        nameChanges.clear();
        const std::string news = "Next: " + f.Frame2.caption();
        f.Frame2.setCaption(news);
        r.pumpMessages();
        UnhookWinEvent(hook);
        EXPECT_EQ(std::count(nameChanges.begin(), nameChanges.end(), r.window(f.Frame2)), 1);
        EXPECT_EQ(accessibleName(r.window(f.Frame2)), news);
    }
    CoUninitialize();
}

}  // namespace
}  // namespace tw
