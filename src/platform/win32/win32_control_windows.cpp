#include "platform/win32/win32_control_windows.h"

#include <commctrl.h>

#include "platform/win32/win32_units.h"

namespace tw::win32_platform {

namespace {

using controls::Kind;

struct WindowKind {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

WindowKind windowKind(const controls::Control& control) {
    switch (control.kind()) {
        case Kind::Frame:
            // Lowest in the z-order, under the controls it frames: it draws none of them over.
            return {WC_BUTTONA, BS_GROUPBOX | WS_CLIPSIBLINGS, 0};
        case Kind::Label:
            // Clipped at its right edge like the designer's label, never wrapped onto a hidden
            // line.
            return {WC_STATICA, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
        case Kind::OptionButton:
            // Not an automatic radio button: the model decides, and the tab order runs through
            // each option button on its own, between the list, the picker and the boxes.
            return {WC_BUTTONA, BS_RADIOBUTTON, 0};
        case Kind::CheckBox:
            // Three states as the model has them; the model decides what a click does.
            return {WC_BUTTONA, BS_3STATE, 0};
        case Kind::TextBox:
            return {WC_EDITA,
                    static_cast<DWORD>(ES_AUTOHSCROLL | (control.centred() ? ES_CENTER : ES_LEFT)),
                    WS_EX_CLIENTEDGE};
        case Kind::ComboBox:
            return {WC_COMBOBOXA, CBS_DROPDOWNLIST | WS_VSCROLL, 0};
        case Kind::TimePicker:
            return {DATETIMEPICK_CLASSA, DTS_TIMEFORMAT, 0};
        case Kind::PushButton:
            return {WC_BUTTONA, BS_PUSHBUTTON, 0};
        case Kind::ProgressBar:
            return {PROGRESS_CLASSA, PBS_SMOOTH, 0};
        case Kind::Window:
        case Kind::Timer:
            break;
    }
    return {nullptr, 0, 0};
}

}  // namespace

bool isTabStop(Kind kind) {
    switch (kind) {
        case Kind::OptionButton:
        case Kind::CheckBox:
        case Kind::TextBox:
        case Kind::ComboBox:
        case Kind::TimePicker:
        case Kind::PushButton:
            return true;
        default:
            return false;
    }
}

bool passesMouseThrough(Kind kind) {
    return kind == Kind::Frame || kind == Kind::Label;
}

HWND createControlWindow(const controls::Control& control, HWND parent, int id, int dpi) {
    const WindowKind kind = windowKind(control);
    if (!kind.className) return nullptr;
    const RECT place = windowPixelRect(control, dpi);
    int height = place.bottom - place.top;
    // A drop-down list's height is that of its list; the closed box is sized separately.
    if (control.kind() == Kind::ComboBox) height = twipsToPixels(3000, dpi);
    DWORD style = WS_CHILD | kind.style;
    if (isTabStop(control.kind())) style |= WS_TABSTOP;
    HWND window = CreateWindowExA(kind.exStyle, kind.className, "", style, place.left, place.top,
                                  place.right - place.left, height, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (window && control.kind() == Kind::ProgressBar) {
        SendMessageA(window, PBM_SETRANGE32, 0, 100);
        SendMessageA(window, PBM_SETPOS, 0, 0);
    }
    return window;
}

}  // namespace tw::win32_platform
