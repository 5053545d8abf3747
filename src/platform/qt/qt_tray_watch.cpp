#include "platform/qt/qt_tray_watch.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QEvent>
#include <QGuiApplication>

#include "platform/qt/qt_handler_gate.h"
#include "platform/qt/qt_x11_tray_owner.h"

namespace tw::qt_platform {

namespace {

// Where no change can be heard: a panel is rarely lost, and a hidden program that asks more
// often wakes more than its countdown does.
constexpr int kPollMs = 30000;

}  // namespace

TrayWatch::TrayWatch(QWidget& window, std::function<bool()> available, std::function<void()> lost)
    : window_(window), available_(std::move(available)), lost_(std::move(lost)) {
    poll_.setInterval(kPollMs);
    QObject::connect(&poll_, &QTimer::timeout, this, [this] { check(); });
    window_.installEventFilter(this);
    // A window that starts hidden (in the tray from the start) sends no Hide.
    if (window_.isHidden()) hidden();
}

TrayWatch::~TrayWatch() = default;

bool TrayWatch::eventFilter(QObject*, QEvent* event) {
    // The window system's own hide and show are minimising and restoring, not the tray.
    if (event->spontaneous()) return false;
    if (event->type() == QEvent::Hide) hidden();
    if (event->type() == QEvent::Show) poll_.stop();
    return false;
}

void TrayWatch::hidden() {
    if (!listening_) {
        listen();
        // What changed before listening began is looked at once.
        changed();
    }
    if (polls_) poll_.start();
}

void TrayWatch::listen() {
    listening_ = true;
    x11_ = X11TrayOwnerWatch::create([this] { changed(); });
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        dbus_ =
            std::make_unique<QDBusServiceWatcher>(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                  bus, QDBusServiceWatcher::WatchForOwnerChange);
        QObject::connect(dbus_.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
                         [this] { changed(); });
    }
    // On X the tray may be an XEmbed one, which only the X server tells about; elsewhere
    // only a tray over D-Bus exists.
    const bool onX = QGuiApplication::platformName() == QLatin1String("xcb");
    polls_ = onX ? !x11_ : !dbus_;
}

void TrayWatch::changed() {
    // Looked at from the event loop, once Qt has handled the event that told of the change
    // (it keeps its own idea of where the tray is).
    if (checkPosted_) return;
    checkPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            checkPosted_ = false;
            check();
        },
        Qt::QueuedConnection);
}

void TrayWatch::check() {
    if (!window_.isHidden() || available_()) return;
    runHandler(this, [this] {
        if (window_.isHidden() && lost_) lost_();
    });
}

}  // namespace tw::qt_platform
