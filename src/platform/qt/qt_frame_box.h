#pragma once

// The widget of a frame control: a group box whose caption can change every second (the
// countdown in the status frame) without repainting the controls inside it.

#include <QGroupBox>
#include <QRect>

#include "platform/qt/qt_caption_band.h"

namespace tw::qt_platform {

class FrameBox : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

    // As setTitle(), but repaints only the caption's line. QGroupBox::setTitle() repaints the
    // whole frame and with it every control inside: for the status frame that is the progress
    // bar, once a second, and that cost more than the rest of the countdown together.
    void setCaption(const QString& caption);

    // Whether the last paint drew the caption alone (from the band's picture) rather than
    // the whole box through the style.
    bool paintedCaptionAlone() const { return captionAlone_; }

  protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect captionLine();

    // The band across the frame where the style draws a caption; empty until needed, and
    // again whenever the style, the font or the size changes.
    QRect line_;
    CaptionBand band_;
    bool captionAlone_ = false;
};

}  // namespace tw::qt_platform
