#include "platform/win32/win32_control_sync.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/win32_text.h"
#include "platform/win32/win32_units.h"

namespace tw::win32_platform {

namespace {

using namespace tw::controls;

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(0, copied)));
    return text;
}

// Sets the window's text when it differs, in the ANSI code page.
void syncText(HWND window, const std::string& utf8) {
    const std::string ansi = toAnsi(utf8);
    if (windowText(window) != ansi) SetWindowTextA(window, ansi.c_str());
}

void syncCommon(RenderedControl& r, GdiCache& gdi) {
    const Control& c = *r.control;
    if ((IsWindowEnabled(r.hwnd) != FALSE) != c.enabled()) EnableWindow(r.hwnd, c.enabled());
    const bool shown = (GetWindowLongA(r.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != c.visible()) ShowWindow(r.hwnd, c.visible() ? SW_SHOWNA : SW_HIDE);
    HFONT font = gdi.font(c.font());
    if (font != r.font) {
        SendMessageA(r.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        r.font = font;
    }
}

// A frame's caption is the status line, new every second. The button's own WM_SETTEXT would
// clear the old caption on screen at once and paint the new one only later, a blank line in
// between: the text is set without that, and the frame paints itself again in one go
// (WindowRenderer paints frames through a memory bitmap).
void syncFrame(RenderedControl& r) {
    const std::string ansi = toAnsi(r.control->caption());
    if (windowText(r.hwnd) == ansi) return;
    DefWindowProcA(r.hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
    InvalidateRect(r.hwnd, nullptr, FALSE);
    // Screen readers hear a status line's news.
    if (r.control->announcesCaption())
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, r.hwnd, OBJID_CLIENT, CHILDID_SELF);
}

void syncTextBox(RenderedControl& r) {
    const auto& box = static_cast<const TextBox&>(*r.control);
    const std::string ansi = toAnsi(box.text());
    const bool textChanged = windowText(r.hwnd) != ansi;
    if (textChanged) SetWindowTextA(r.hwnd, ansi.c_str());
    if (!r.selection.update(box, textChanged)) return;
    const auto [start, end] = selectionShown(
        box, [](std::string_view utf8) { return static_cast<int>(toAnsi(utf8).size()); });
    SendMessageA(r.hwnd, EM_SETSEL, static_cast<WPARAM>(start), end);
}

void syncCombo(RenderedControl& r) {
    const auto& combo = static_cast<const ComboBox&>(*r.control);
    const auto& items = combo.items();
    bool same = SendMessageA(r.hwnd, CB_GETCOUNT, 0, 0) == static_cast<LRESULT>(items.size());
    for (std::size_t i = 0; same && i < items.size(); ++i) {
        const LRESULT length = SendMessageA(r.hwnd, CB_GETLBTEXTLEN, i, 0);
        std::string text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
        SendMessageA(r.hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
        same = text == toAnsi(items[i]);
    }
    if (!same) {
        SendMessageA(r.hwnd, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : items) {
            const std::string ansi = toAnsi(item);
            SendMessageA(r.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
        }
    }
    if (SendMessageA(r.hwnd, CB_GETCURSEL, 0, 0) != combo.listIndex()) {
        SendMessageA(r.hwnd, CB_SETCURSEL, static_cast<WPARAM>(combo.listIndex()), 0);
    }
}

void syncPicker(RenderedControl& r) {
    const auto& picker = static_cast<const TimePicker&>(*r.control);
    const TimeOfDay t = shownTime(picker);
    SYSTEMTIME shown{};
    if (SendMessageA(r.hwnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)) == GDT_VALID &&
        shown.wHour == t.hour && shown.wMinute == t.minute && shown.wSecond == t.second) {
        return;
    }
    // The picker shows only the time; the date is any valid one.
    SYSTEMTIME value{};
    GetLocalTime(&value);
    value.wHour = static_cast<WORD>(t.hour);
    value.wMinute = static_cast<WORD>(t.minute);
    value.wSecond = static_cast<WORD>(t.second);
    value.wMilliseconds = 0;
    SendMessageA(r.hwnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
}

void syncProgress(RenderedControl& r) {
    const auto& progress = static_cast<const ProgressBar&>(*r.control);
    const BarShown shown = barShown(progress);
    PBRANGE range{};
    SendMessageA(r.hwnd, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    if (range.iLow != shown.min || range.iHigh != shown.max) {
        SendMessageA(r.hwnd, PBM_SETRANGE32, static_cast<WPARAM>(shown.min), shown.max);
    }
    if (SendMessageA(r.hwnd, PBM_GETPOS, 0, 0) != shown.position) {
        SendMessageA(r.hwnd, PBM_SETPOS, static_cast<WPARAM>(shown.position), 0);
    }
}

void syncCheckState(RenderedControl& r, int state) {
    if (SendMessageA(r.hwnd, BM_GETCHECK, 0, 0) != state) {
        SendMessageA(r.hwnd, BM_SETCHECK, static_cast<WPARAM>(state), 0);
    }
}

}  // namespace

void syncControlWindow(RenderedControl& r, GdiCache& gdi) {
    const bool outer = !r.mirroring;
    r.mirroring = true;
    syncCommon(r, gdi);
    switch (r.control->kind()) {
        case Kind::Frame:
            syncFrame(r);
            break;
        case Kind::Label:
        case Kind::PushButton:
            syncText(r.hwnd, r.control->caption());
            break;
        case Kind::OptionButton:
            syncText(r.hwnd, r.control->caption());
            syncCheckState(r, static_cast<const OptionButton&>(*r.control).value() ? BST_CHECKED
                                                                                   : BST_UNCHECKED);
            break;
        case Kind::CheckBox: {
            syncText(r.hwnd, r.control->caption());
            const CheckMark mark = checkMark(static_cast<const CheckBox&>(*r.control));
            syncCheckState(r, mark == CheckMark::Checked ? BST_CHECKED
                              : mark == CheckMark::Grey  ? BST_INDETERMINATE
                                                         : BST_UNCHECKED);
            break;
        }
        case Kind::TextBox:
            syncTextBox(r);
            break;
        case Kind::ComboBox:
            syncCombo(r);
            break;
        case Kind::TimePicker:
            syncPicker(r);
            break;
        case Kind::ProgressBar:
            syncProgress(r);
            break;
        case Kind::Window:
        case Kind::Timer:
            break;
    }
    if (outer) r.mirroring = false;
}

}  // namespace tw::win32_platform
