#include "platform/qt/qt_frame_box.h"

#include <QEvent>
#include <QPaintEvent>
#include <QStyle>
#include <QStyleOptionGroupBox>

namespace tw::qt_platform {

namespace {

// Text may be drawn a pixel beyond its box (antialiasing); repainting a little more is free.
constexpr int kCaptionSlack = 2;

}  // namespace

void FrameBox::setCaption(const QString& caption) {
    if (caption == title()) return;
    // An empty caption moves the frame's top edge in some styles, a caption of several lines
    // is taller than the line, and a widget whose updates are held back by someone else must
    // stay that way: all of them take the ordinary way.
    const QChar newline = QLatin1Char('\n');
    if (title().isEmpty() || caption.isEmpty() || title().contains(newline) ||
        caption.contains(newline) || !isVisible() || !updatesEnabled()) {
        setTitle(caption);
        return;
    }
    // Only the caption changes (its size hint, accessible name and shortcut go along as
    // usual); the frame and its contents stay as they are, so their repaint is held back.
    setAttribute(Qt::WA_UpdatesDisabled, true);
    setTitle(caption);
    setAttribute(Qt::WA_UpdatesDisabled, false);
    update(captionLine());
}

QRect FrameBox::captionLine() {
    if (line_.isEmpty()) {
        // Where a one-line caption sits depends on the style and the font, not on the text.
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        const QRect label =
            style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
        line_ = QRect(0, label.top() - kCaptionSlack, width(), label.height() + 2 * kCaptionSlack);
    }
    return line_;
}

void FrameBox::changeEvent(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::StyleChange || type == QEvent::FontChange ||
        type == QEvent::LayoutDirectionChange) {
        line_ = QRect();
    }
    QGroupBox::changeEvent(event);
}

void FrameBox::paintEvent(QPaintEvent* event) {
    // A paint within the caption's line is what a new caption asks for; everything else
    // (showing, exposing, resizing, the first caption) is painted the ordinary way.
    const QRect band = line_ & rect();
    captionAlone_ = false;
    if (!band.isEmpty() && band.contains(event->rect())) {
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        captionAlone_ = band_.paint(*this, option, band);
    }
    if (!captionAlone_) QGroupBox::paintEvent(event);
}

void FrameBox::resizeEvent(QResizeEvent* event) {
    line_ = QRect();
    QGroupBox::resizeEvent(event);
}

}  // namespace tw::qt_platform
