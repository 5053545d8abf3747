#pragma once

// The widget of a progress bar control: repainted whenever its bar really moves, and only then.

#include <QProgressBar>
#include <limits>

namespace tw::qt_platform {

class ProgressBox : public QProgressBar {
  public:
    using QProgressBar::QProgressBar;

    // As setValue(). QProgressBar repaints a new value only once the bar has grown by a chunk
    // of the style (9 pixels in Fusion), but styles that draw a solid bar show every pixel:
    // this repaints whenever the end of the bar moves, however the style rounds its length.
    void setPosition(int value);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool endMovedSincePainted() const;

    int painted_ = std::numeric_limits<int>::min();
};

}  // namespace tw::qt_platform
