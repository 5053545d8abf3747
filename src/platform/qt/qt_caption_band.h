#pragma once

// Repaints the caption of a group box without the style drawing the whole box: what the style
// draws in the caption's line apart from the text is kept as a picture, and only the text is
// drawn anew, with the calls the style makes for it. The style draws the frame from a picture
// it looks up by file name and measures the caption three times a paint; for a caption that
// changes every second that was most of the program's idle work.

#include <QFont>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QStyle>

class QGroupBox;
class QStyleOptionGroupBox;

namespace tw::qt_platform {

class CaptionBand {
  public:
    // Paints `band` of `box` (its caption line across its width, in which the paint event lies)
    // as the style would with `option`, and tells whether it did. False: the box must paint
    // itself as usual, because the style or the box's state is one this way cannot match pixel
    // for pixel.
    bool paint(QGroupBox& box, const QStyleOptionGroupBox& option, const QRect& band);

  private:
    // Everything the picture of the band depends on, as far as the box shows it.
    struct Key {
        const QStyle* style = nullptr;
        QStyle::State state;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        QRect rect;
        qint64 palette = 0;
        QPalette::ColorGroup group = QPalette::Active;
        QFont font;
        int features = 0;
        QStyle::SubControls subControls;
        Qt::Alignment alignment;
        int lineWidth = 0;
        int midLineWidth = 0;
        QRect band;
        qreal ratio = 0;
        bool operator==(const Key&) const = default;
    };

    bool prepare(QGroupBox& box, const QStyleOptionGroupBox& option, const QRect& band);

    Key key_;
    bool keyed_ = false;
    // Whether this way matches the style for the state in key_.
    bool usable_ = false;
    // What the style draws in the band apart from the caption, and where: the rows of the
    // band it drew on (empty if none).
    QImage background_;
    QRect drawn_;
};

}  // namespace tw::qt_platform
