#include "platform/win32/win32_message_box.h"

#include "platform/win32/win32_text.h"

namespace tw::win32_platform {

std::string messageBoxText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) out += '\n';
    }
    return out;
}

HWND Win32MessageBox::currentOwner() const {
    if (owner_ == nullptr || !IsWindow(owner_)) return nullptr;
    if (!IsWindowVisible(owner_) || IsIconic(owner_)) return nullptr;
    return owner_;
}

MsgAnswer Win32MessageBox::show(const std::string& text, const std::string& title,
                                MsgButtons buttons, MsgIcon icon) {
    const HWND owner = currentOwner();
    UINT style = buttons == MsgButtons::YesNo ? MB_YESNO | MB_DEFBUTTON1 : MB_OK;
    if (icon == MsgIcon::Warning) style |= MB_ICONWARNING;
    // Without an owner the box still keeps every window of the program waiting (the boxes are
    // modal for the whole program), and comes to the front: the program may be in the tray.
    style |= owner ? MB_APPLMODAL : MB_TASKMODAL | MB_SETFOREGROUND;
    int answer = 0;
    {
        const ModalBoxOpen counted(open_);
        answer =
            MessageBoxA(owner, toAnsi(messageBoxText(text)).c_str(), toAnsi(title).c_str(), style);
    }
    // The box has given its owner back the input; a model that asks otherwise is shown again.
    if (!open_.anyOpen() && allClosed_) allClosed_();
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    // A box that could not be shown answers No: the safe answer to "empty now?".
    return answer == IDYES ? MsgAnswer::Yes : MsgAnswer::No;
}

}  // namespace tw::win32_platform
