#pragma once

// Modal message boxes.

#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/services/message_box.h"

namespace tw::qt_platform {

class QtMessageBox : public MessageBox {
  public:
    MsgAnswer show(const std::string& text, const std::string& title, MsgButtons buttons,
                   MsgIcon icon) override;
    // Boxes are centred over this window while it is shown.
    void setOwner(QWidget* owner) { owner_ = owner; }

  private:
    QPointer<QWidget> owner_;
};

// The box's text with the program's line breaks ("\r\n", or "\r" alone) as newlines.
QString messageBoxText(const std::string& text);

}  // namespace tw::qt_platform
