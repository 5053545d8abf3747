#pragma once

// Watches, while the main window is hidden, that the notification area holding its icon is
// still there: a panel that restarts or is removed would otherwise leave no way back to the
// window. Nothing is watched while the window is shown.

#include <QObject>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace tw::qt_platform {

class TrayWatch : public QObject {
  public:
    // `available` tells whether a notification area is there now; `lost` runs (as a handler)
    // each time it is found gone while `window` is hidden.
    TrayWatch(QWidget& window, std::function<bool()> available, std::function<void()> lost);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void check();

    QWidget& window_;
    std::function<bool()> available_;
    std::function<void()> lost_;
    QTimer poll_;
};

}  // namespace tw::qt_platform
