#include "platform/qt/qt_tray_watch.h"

#include <QEvent>

#include "platform/qt/qt_handler_gate.h"

namespace tw::qt_platform {

namespace {

// Neither the tray of the X11 desktop nor the one over D-Bus tells a program that it went
// away. Asking every five seconds, only while hidden, finds it soon enough (a panel is rarely
// lost) and keeps the hidden program's wake-ups close to those of its countdown alone.
constexpr int kPollMs = 5000;

}  // namespace

TrayWatch::TrayWatch(QWidget& window, std::function<bool()> available, std::function<void()> lost)
    : window_(window), available_(std::move(available)), lost_(std::move(lost)) {
    poll_.setInterval(kPollMs);
    QObject::connect(&poll_, &QTimer::timeout, this, [this] { check(); });
    window_.installEventFilter(this);
    // A window that starts hidden (in the tray from the start) sends no Hide.
    if (window_.isHidden()) poll_.start();
}

bool TrayWatch::eventFilter(QObject*, QEvent* event) {
    // The window system's own hide and show are minimising and restoring, not the tray.
    if (event->spontaneous()) return false;
    if (event->type() == QEvent::Hide) poll_.start();
    if (event->type() == QEvent::Show) poll_.stop();
    return false;
}

void TrayWatch::check() {
    if (!window_.isHidden() || available_()) return;
    runHandler(this, [this] {
        if (window_.isHidden() && lost_) lost_();
    });
}

}  // namespace tw::qt_platform
