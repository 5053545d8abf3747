#include "platform/qt/qt_frame_box.h"

#include <QStyle>
#include <QStyleOptionGroupBox>

namespace tw::qt_platform {

namespace {

// Text may be drawn a pixel beyond its box (antialiasing); repainting a little more is free.
constexpr int kCaptionSlack = 2;

}  // namespace

void FrameBox::setCaption(const QString& caption) {
    if (caption == title()) return;
    // An empty caption moves the frame's top edge in some styles, and a widget whose updates
    // are held back by someone else must stay that way: both take the ordinary way.
    if (title().isEmpty() || caption.isEmpty() || !isVisible() || !updatesEnabled()) {
        setTitle(caption);
        return;
    }
    const QRect before = captionRect();
    // Only the caption changes (its size hint, accessible name and shortcut go along as
    // usual); the frame and its contents stay as they are, so their repaint is held back.
    setAttribute(Qt::WA_UpdatesDisabled, true);
    setTitle(caption);
    setAttribute(Qt::WA_UpdatesDisabled, false);
    update(before.united(captionRect())
               .adjusted(-kCaptionSlack, -kCaptionSlack, kCaptionSlack, kCaptionSlack));
}

QRect FrameBox::captionRect() const {
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
}

}  // namespace tw::qt_platform
