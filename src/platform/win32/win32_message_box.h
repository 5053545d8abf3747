#pragma once

// Modal message boxes, owned by the main window while it is on screen.

#include "platform/services/message_box.h"
#include "platform/shared/modal_boxes.h"
#include "platform/win32/win32_api.h"

#include <functional>
#include <utility>

namespace tw::win32_platform {

class Win32MessageBox : public MessageBox {
  public:
    MsgAnswer show(const std::string& text, const std::string& title, MsgButtons buttons,
                   MsgIcon icon) override;
    void setOwner(HWND owner) { owner_ = owner; }

    // The owner a box gets now: the main window when it is shown and not minimised. A box
    // owned by a hidden or minimised window would be hidden with it, and nobody could answer.
    HWND currentOwner() const;
    // The boxes open now, for the window's mirror.
    const ModalBoxes& open() const { return open_; }
    // Called once the last box has closed: the window shows what its model asks for again.
    void setAllClosed(std::function<void()> allClosed) { allClosed_ = std::move(allClosed); }

  private:
    HWND owner_ = nullptr;
    ModalBoxes open_;
    std::function<void()> allClosed_;
};

// The program's line breaks ("\r\n", or "\r" alone) as the box shows them.
std::string messageBoxText(const std::string& text);

}  // namespace tw::win32_platform
