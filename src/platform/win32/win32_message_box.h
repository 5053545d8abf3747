#pragma once

// Modal message boxes, owned by the main window while it is on screen.

#include "platform/services/message_box.h"
#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

class Win32MessageBox : public MessageBox {
  public:
    MsgAnswer show(const std::string& text, const std::string& title, MsgButtons buttons,
                   MsgIcon icon) override;
    void setOwner(HWND owner) { owner_ = owner; }

    // The owner a box gets now: the main window when it is shown and not minimised. A box
    // owned by a hidden or minimised window would be hidden with it, and nobody could answer.
    HWND currentOwner() const;

  private:
    HWND owner_ = nullptr;
};

// The program's line breaks ("\r\n", or "\r" alone) as the box shows them.
std::string messageBoxText(const std::string& text);

}  // namespace tw::win32_platform
