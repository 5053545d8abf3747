#include "platform/qt/qt_message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QSpacerItem>
#include <algorithm>

#include "platform/qt/qt_units.h"

namespace tw::qt_platform {

namespace {

const QRegularExpression& webAddress() {
    static const QRegularExpression pattern(QStringLiteral(R"(https?://[^\s<>"]+[^\s<>".,;:!?)])"));
    return pattern;
}

// The window manager draws the title in a font of its own, often larger than the box's, beside
// the window's icon and its buttons; room for all of them keeps the title from being cut.
int widthForTitle(const QString& title) {
    constexpr int kTitleBarDecorations = 120;
    const QFontMetrics metrics(QApplication::font());
    return metrics.horizontalAdvance(title) * 5 / 4 + kTitleBarDecorations;
}

// A line that holds a web address is kept whole, so that the address is never broken in two
// (as far as the screen allows).
int widthForAddresses(const QMessageBox& box, const QString& text) {
    // The label's margins and the icon column beside it.
    constexpr int kAroundTheText = 48;
    const QFontMetrics metrics(box.font());
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.contains(webAddress())) widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    if (widest == 0) return 0;
    const QScreen* screen = box.screen();
    const int room = screen ? screen->availableGeometry().width() * 9 / 10 : widest;
    return std::min(widest + kAroundTheText, room);
}

// QMessageBox sizes itself to its text only, wrapping it beyond half the screen; a spacer
// across its grid asks for more.
void keepWideEnoughFor(QMessageBox& box, const QString& title, const QString& text) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const int width = std::max(widthForTitle(title), widthForAddresses(box, text));
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

// The same text with each web address a link.
QString withLinks(const QString& text) {
    QString html;
    qsizetype done = 0;
    auto matches = webAddress().globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        html += text.mid(done, match.capturedStart() - done).toHtmlEscaped();
        const QString address = match.captured().toHtmlEscaped();
        html += QStringLiteral("<a href=\"%1\">%1</a>").arg(address);
        done = match.capturedEnd();
    }
    html += text.mid(done).toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return html;
}

}  // namespace

QString messageBoxText(const std::string& text) {
    QString s = qs(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

MsgAnswer QtMessageBox::show(const std::string& text, const std::string& title, MsgButtons buttons,
                             MsgIcon icon) {
    QWidget* parent = owner_ && owner_->isVisible() ? owner_.data() : nullptr;
    const QString shown = messageBoxText(text);
    QMessageBox box(icon == MsgIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                    qs(title), QString(), QMessageBox::NoButton, parent);
    if (shown.contains(webAddress())) {
        // An address in the text can be selected, and opened in the browser.
        box.setTextFormat(Qt::RichText);
        box.setText(withLinks(shown));
        box.setTextInteractionFlags(Qt::TextBrowserInteraction);
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            label->setOpenExternalLinks(true);
        }
    } else {
        box.setTextFormat(Qt::PlainText);
        box.setText(shown);
    }
    keepWideEnoughFor(box, qs(title), shown);
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
