#pragma once

// The widget of a progress bar control: repainted whenever its bar really moves, and only then.

#include <QProgressBar>
#include <QSize>
#include <array>
#include <limits>

namespace tw::qt_platform {

class ProgressBox : public QProgressBar {
  public:
    using QProgressBar::QProgressBar;

    // As setValue(). QProgressBar repaints a new value only once the bar has grown by a chunk
    // of the style (9 pixels in Fusion), but styles that draw a solid bar show every pixel:
    // this repaints whenever the end of the bar moves, however the style rounds its length.
    void setPosition(int value);

    // Empty while the text is not shown. QProgressBar formats its text with the locale at
    // every new value, only to find whether it changed; for a bar that never shows it, once a
    // second, that was the largest part of a tick while the window is hidden in the tray.
    QString text() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool endMovedSincePainted();

    int painted_ = std::numeric_limits<int>::min();
    // The lengths a style may scale the value to, and the style and size they were found for:
    // asking the style at every tick cost as much as the rest of the new value.
    std::array<int, 3> lengths_{};
    const QStyle* lengthsStyle_ = nullptr;
    QSize lengthsSize_;
};

}  // namespace tw::qt_platform
