#pragma once

// The top-level widget of the main window: its client area holds the controls, and it
// reports the close request and the user's minimise / restore.

#include <QWidget>
#include <functional>

namespace tw::qt_platform {

class HostWindow : public QWidget {
  public:
    HostWindow();

    // The close box, the window menu's Close, or the session ending.
    std::function<void()> onCloseRequest;
    // The window was minimised or restored; runs from the event loop, never inside Qt's own
    // state change.
    std::function<void()> onStateChange;
    // The window is about to be shown: before it is mapped or painted.
    std::function<void()> onShowing;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
};

}  // namespace tw::qt_platform
