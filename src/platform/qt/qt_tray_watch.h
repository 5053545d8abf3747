#pragma once

// Watches, while the main window is hidden, that the notification area holding its icon is
// still there: a panel that restarts or is removed would otherwise leave no way back to the
// window. The desktop says when its notification area changes hands (on X, the owner of the
// tray's selection; on D-Bus, the owner of the StatusNotifier watcher's name); each change is
// looked at once Qt has taken it in. Only where neither can be heard does it ask, slowly.
// Nothing is looked at while the window is shown.

#include <QObject>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QDBusServiceWatcher;

namespace tw::qt_platform {

class X11TrayOwnerWatch;

class TrayWatch : public QObject {
  public:
    // `available` tells whether a notification area is there now; `lost` runs (as a handler)
    // each time it is found gone while `window` is hidden.
    TrayWatch(QWidget& window, std::function<bool()> available, std::function<void()> lost);
    ~TrayWatch() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void hidden();
    void listen();
    void changed();
    void check();

    QWidget& window_;
    std::function<bool()> available_;
    std::function<void()> lost_;
    // Set up when the window first hides: a window never hidden costs nothing.
    bool listening_ = false;
    bool polls_ = false;
    bool checkPosted_ = false;
    std::unique_ptr<X11TrayOwnerWatch> x11_;
    std::unique_ptr<QDBusServiceWatcher> dbus_;
    QTimer poll_;
};

}  // namespace tw::qt_platform
