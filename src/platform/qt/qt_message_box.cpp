#include "platform/qt/qt_message_box.h"

#include <QMessageBox>

#include "platform/qt/qt_units.h"

namespace tw::qt_platform {

QString messageBoxText(const std::string& text) {
    QString s = qs(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

MsgAnswer QtMessageBox::show(const std::string& text, const std::string& title, MsgButtons buttons,
                             MsgIcon icon) {
    QWidget* parent = owner_ && owner_->isVisible() ? owner_.data() : nullptr;
    QMessageBox box(icon == MsgIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                    qs(title), messageBoxText(text), QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    // Closed by the title bar or Escape: the safe answer.
    return result == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

}  // namespace tw::qt_platform
