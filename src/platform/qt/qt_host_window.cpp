#include "platform/qt/qt_host_window.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QTimer>

#include "platform/qt/qt_handler_gate.h"

namespace tw::qt_platform {

HostWindow::HostWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint) {}

void HostWindow::closeEvent(QCloseEvent* event) {
    // The close is never refused; the model ends the program. During an empty the request
    // waits for it, with the window still up.
    if (handlersHeld()) {
        event->ignore();
    } else {
        event->accept();
    }
    runHandler(this, [this] {
        if (onCloseRequest) onCloseRequest();
    });
}

void HostWindow::showEvent(QShowEvent* event) {
    if (onShowing) onShowing();
    QWidget::showEvent(event);
}

void HostWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    // The model's Resize handler hides the window and may wait for the balloon; let Qt finish
    // the state change first.
    QTimer::singleShot(0, this, [this] {
        runHandler(this, [this] {
            if (onStateChange) onStateChange();
        });
    });
}

}  // namespace tw::qt_platform
