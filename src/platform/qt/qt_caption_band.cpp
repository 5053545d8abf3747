#include "platform/qt/qt_caption_band.h"

#include <QGroupBox>
#include <QPainter>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace tw::qt_platform {

namespace {

// Only Qt's Fusion style itself (not a subclass, a proxy or a style sheet), with a caption
// aligned left and no check box: drawCaption() repeats what it does for such a caption. And
// only the Qt this program was built with, whose Fusion its tests compare this way with: a
// Qt swapped in underneath may draw the caption otherwise.
bool drawnByFusion(const QStyle& style, const QStyleOptionGroupBox& option) {
    return std::strcmp(qVersion(), QT_VERSION_STR) == 0 &&
           std::strcmp(style.metaObject()->className(), "QFusionStyle") == 0 &&
           option.textAlignment == Qt::AlignLeft &&
           (option.subControls & QStyle::SC_GroupBoxLabel) &&
           !(option.subControls & QStyle::SC_GroupBoxCheckBox) &&
           !(option.state & QStyle::State_HasFocus);
}

// Where Fusion puts such a caption: the text's bounding box grown by a pixel on every side, a
// pixel below the box's top left corner (top right when laid out right to left). Asking the
// style would measure the text twice more.
QRect labelRect(const QStyleOptionGroupBox& option) {
    const QSize size = option.fontMetrics.boundingRect(option.text).size() + QSize(2, 2);
    return QStyle::visualRect(option.direction, option.rect, QRect(QPoint(0, 1), size));
}

// Where to draw the caption: from left to right, a rectangle with the caption's top left
// corner, as wide as the box. The caption fits in it as it fits in the style's own box
// around it, so the text lands on the same pixels, unclipped in either, without measuring
// the text once more every second. Right to left the caption is aligned to that box's edge.
QRect textLine(const QStyleOptionGroupBox& option) {
    if (option.direction != Qt::LeftToRight) return labelRect(option);
    return QRect(option.rect.left(), 1, option.rect.width(), std::max(option.rect.height() - 1, 1));
}

// The caption as Fusion's group box draws it: the same calls with the same pen and flags.
void drawCaption(QPainter& painter, const QStyleOptionGroupBox& option, const QWidget& box) {
    const QStyle& style = *box.style()->proxy();
    painter.setPen(QPen(option.palette.windowText(), 1));
    int alignment = int(option.textAlignment);
    if (!style.styleHint(QStyle::SH_UnderlineShortcut, &option, &box)) {
        alignment |= Qt::TextHideMnemonic;
    }
    style.drawItemText(&painter, textLine(option), Qt::TextShowMnemonic | Qt::AlignLeft | alignment,
                       option.palette, option.state & QStyle::State_Enabled, option.text,
                       QPalette::NoRole);
}

bool placedAsByStyle(const QStyleOptionGroupBox& option, const QWidget& box) {
    return labelRect(option) == box.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                            QStyle::SC_GroupBoxLabel, &box);
}

QImage blankBand(const QRect& band, qreal ratio, QImage::Format format, const QColor& fill) {
    QImage image(band.size() * ratio, format);
    image.setDevicePixelRatio(ratio);
    image.fill(fill);
    return image;
}

// The band of `box` as the style paints the whole box with `option`, onto `image`.
void styleBand(QImage& image, QGroupBox& box, const QStyleOptionGroupBox& option,
               const QRect& band) {
    QStylePainter painter(&image, &box);
    painter.translate(-band.topLeft());
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}

// The rows of `band` (whole rows at `ratio`) in which the style drew anything on `image`: most
// of the line is empty, and blending empty pixels is not free. Empty when it drew nothing.
QRect drawnRows(const QImage& image, const QRect& band, int ratio) {
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        if (std::any_of(row, row + image.width(), [](QRgb pixel) { return pixel != 0; })) {
            if (first < 0) first = y / ratio;
            last = y / ratio;
        }
    }
    if (first < 0) return QRect();
    return QRect(band.left(), band.top() + first, band.width(), last - first + 1);
}

}  // namespace

bool CaptionBand::paint(QGroupBox& box, const QStyleOptionGroupBox& option, const QRect& band) {
    if (option.text.isEmpty() || !prepare(box, option, band)) return false;
    QStylePainter painter(&box);
    if (!drawn_.isEmpty()) painter.drawImage(drawn_.topLeft(), background_);
    drawCaption(painter, option, box);
    return true;
}

bool CaptionBand::prepare(QGroupBox& box, const QStyleOptionGroupBox& option, const QRect& band) {
    const qreal ratio = box.devicePixelRatioF();
    const Key key{box.style(),
                  option.state,
                  option.direction,
                  option.rect,
                  option.palette.cacheKey(),
                  option.palette.currentColorGroup(),
                  box.font(),
                  int(option.features),
                  option.subControls,
                  option.textAlignment,
                  option.lineWidth,
                  option.midLineWidth,
                  band,
                  ratio};
    if (keyed_ && key == key_) return usable_;
    key_ = key;
    keyed_ = true;
    usable_ = false;
    background_ = QImage();

    if (!drawnByFusion(*box.style(), option) || ratio != std::floor(ratio)) return false;
    const QColor transparent(Qt::transparent);
    QStyleOptionGroupBox bare = option;
    bare.subControls &= ~QStyle::SubControls(QStyle::SC_GroupBoxLabel);
    QImage background = blankBand(band, ratio, QImage::Format_ARGB32_Premultiplied, transparent);
    styleBand(background, box, bare, band);

    // What the picture stands for must hold in this state: the band without the caption does
    // not depend on the text, and the caption sits where the style puts it. (Drawing text
    // off screen to compare would cost the program a glyph cache of its own.)
    bare.text += option.text;
    QImage longer = blankBand(band, ratio, QImage::Format_ARGB32_Premultiplied, transparent);
    styleBand(longer, box, bare, band);
    if (longer != background || !placedAsByStyle(option, box) || !placedAsByStyle(bare, box)) {
        return false;
    }

    const int scale = int(ratio);
    drawn_ = drawnRows(background, band, scale);
    if (!drawn_.isEmpty()) {
        background_ = background.copy(0, (drawn_.top() - band.top()) * scale, background.width(),
                                      drawn_.height() * scale);
    }
    usable_ = true;
    return true;
}

}  // namespace tw::qt_platform
