#pragma once

// The widget of a frame control: a group box whose caption can change every second (the
// countdown in the status frame) without repainting the controls inside it.

#include <QGroupBox>
#include <QRect>

namespace tw::qt_platform {

class FrameBox : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

    // As setTitle(), but repaints only where the old and the new caption are drawn.
    // QGroupBox::setTitle() repaints the whole frame and with it every control inside: for the
    // status frame that is the progress bar, once a second, and it costs more than the
    // window's whole countdown otherwise does.
    void setCaption(const QString& caption);

  private:
    QRect captionRect() const;
};

}  // namespace tw::qt_platform
