#include "platform/win32/win32_control_input.h"

#include <commctrl.h>

#include <string>

#include "platform/win32/win32_text.h"

namespace tw::win32_platform {

namespace {

using namespace tw::controls;

// Runs the model's setter, then makes the window show what the model holds afterwards: a
// handler may have refused or changed the user's value.
template <class Call>
void apply(RenderedControl& r, GdiCache& gdi, const ErrorReporter& report, Call&& call) {
    guarded(report, std::forward<Call>(call));
    syncControlWindow(r, gdi);
}

std::string editText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return fromAnsi(text);
}

}  // namespace

void controlCommand(RenderedControl& r, UINT code, GdiCache& gdi, const ErrorReporter& report) {
    // The window telling about a change the program itself just made.
    if (r.mirroring) return;
    switch (r.control->kind()) {
        case Kind::OptionButton:
            if (code != BN_CLICKED || r.takingFocus) return;
            apply(r, gdi, report, [&] { static_cast<OptionButton&>(*r.control).setValue(true); });
            break;
        case Kind::CheckBox:
            if (code != BN_CLICKED) return;
            apply(r, gdi, report, [&] {
                // A user's click only ever checks or clears.
                auto& box = static_cast<CheckBox&>(*r.control);
                box.setValue(box.value() == 1 ? 0 : 1);
            });
            break;
        case Kind::TextBox:
            if (code != EN_CHANGE) return;
            r.selection.userEditing = true;
            guarded(report, [&] { static_cast<TextBox&>(*r.control).setText(editText(r.hwnd)); });
            r.selection.userEditing = false;
            syncControlWindow(r, gdi);
            break;
        case Kind::ComboBox:
            if (code != CBN_SELCHANGE) return;
            apply(r, gdi, report, [&] {
                const auto index = static_cast<int>(SendMessageA(r.hwnd, CB_GETCURSEL, 0, 0));
                static_cast<ComboBox&>(*r.control).setListIndex(index < 0 ? -1 : index);
            });
            break;
        case Kind::PushButton:
            if (code != BN_CLICKED) return;
            guarded(report, [&] { static_cast<PushButton&>(*r.control).click(); });
            break;
        default:
            break;
    }
}

void controlNotify(RenderedControl& r, const NMHDR& header, GdiCache& gdi,
                   const ErrorReporter& report) {
    if (r.mirroring || r.control->kind() != Kind::TimePicker) return;
    if (header.code != DTN_DATETIMECHANGE) return;
    const auto& change = reinterpret_cast<const NMDATETIMECHANGE&>(header);
    if (change.dwFlags != GDT_VALID) return;
    const TimeOfDay t{change.st.wHour, change.st.wMinute, change.st.wSecond};
    apply(r, gdi, report, [&] {
        static_cast<TimePicker&>(*r.control).setValue(DateValue{std::nullopt, t});
    });
}

}  // namespace tw::win32_platform
