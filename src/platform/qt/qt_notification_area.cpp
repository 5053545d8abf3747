#include "platform/qt/qt_notification_area.h"

#include <QApplication>
#include <QObject>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <limits>

#include "platform/qt/qt_builtin_pictures.h"
#include "platform/qt/qt_handler_gate.h"
#include "tray/shell_record.h"

namespace tw::qt_platform {

namespace {

// The shell's display time for a balloon that asks for none.
constexpr int kDefaultBalloonMs = 10000;

QIcon blankIcon() {
    // The shell shows an empty slot for an icon without a picture; so do we. A null QIcon
    // would leave Qt complaining and some trays showing nothing at all.
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return QIcon(pixmap);
}

// Qt's own balloon (used with an XEmbed tray) is a top-level widget of this class. Asking it
// to show empty texts takes it down; a desktop notification sent over D-Bus cannot be taken
// back and simply runs out its display time.
bool qtBalloonShowing() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QBalloonTip") && widget->isVisible()) return true;
    }
    return false;
}

}  // namespace

struct QtNotificationArea::Entry {
    Key key;
    std::uint64_t serial = 0;
    std::uint32_t callbackMessage = 0;
    std::unique_ptr<QSystemTrayIcon> tray;
    std::unique_ptr<QTimer> balloonTimer;
    Balloon balloon;
};

QtNotificationArea::QtNotificationArea(WindowMessages& windows)
    : windows_(windows), context_(std::make_unique<QObject>()) {
    icons_.emplace(kApplicationIconHandle, applicationIcon());
}

QtNotificationArea::~QtNotificationArea() = default;

bool QtNotificationArea::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

std::uint32_t QtNotificationArea::registerIcon(const QIcon& icon) {
    const std::uint32_t handle = nextIconHandle_++;
    icons_.emplace(handle, icon);
    return handle;
}

QIcon QtNotificationArea::icon(std::uint32_t handle) const {
    const auto it = icons_.find(handle);
    return it == icons_.end() ? QIcon() : it->second;
}

QSystemTrayIcon* QtNotificationArea::trayIcon(WindowHandle window, std::uint32_t id) const {
    const Entry* entry = find({window, id});
    return entry ? entry->tray.get() : nullptr;
}

QtNotificationArea::Balloon QtNotificationArea::balloon(WindowHandle window,
                                                        std::uint32_t id) const {
    const Entry* entry = find({window, id});
    return entry ? entry->balloon : Balloon{};
}

QtNotificationArea::Entry* QtNotificationArea::find(Key key) const {
    const auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : it->second.get();
}

std::int32_t QtNotificationArea::shellNotifyIcon(std::uint32_t message, const ShellRecord& record) {
    const ShellRecordFields fields = decodeShellRecord(record);
    if (fields.cbSize != kShellRecordSize) return 0;
    const Key key{fields.hWnd, fields.uID};
    const auto text = [](const std::optional<std::string>& value) {
        return value ? QString::fromStdString(*value) : QString();
    };
    const auto applyRecord = [&](Entry& entry) {
        apply(entry, fields.uFlags, fields.uCallbackMessage, fields.hIcon, text(fields.szTip),
              text(fields.szInfoTitle), text(fields.szInfo), fields.uTimeout);
    };

    switch (message) {
        case kNimAdd: {
            if (find(key)) return 0;
            auto entry = std::make_unique<Entry>();
            entry->key = key;
            entry->serial = nextSerial_++;
            entry->tray = std::make_unique<QSystemTrayIcon>();
            entry->tray->setIcon(blankIcon());
            entry->balloonTimer = std::make_unique<QTimer>();
            entry->balloonTimer->setSingleShot(true);
            Entry* raw = entry.get();
            // Both senders die with the entry, and their connections with them.
            QObject::connect(raw->tray.get(), &QSystemTrayIcon::activated, raw->tray.get(),
                             [this, raw](QSystemTrayIcon::ActivationReason reason) {
                                 switch (reason) {
                                     case QSystemTrayIcon::Trigger:
                                         post(*raw, kWmLButtonDown);
                                         post(*raw, kWmLButtonUp);
                                         break;
                                     case QSystemTrayIcon::Context:
                                         post(*raw, kWmRButtonDown);
                                         post(*raw, kWmRButtonUp);
                                         break;
                                     case QSystemTrayIcon::DoubleClick:
                                         post(*raw, kWmLButtonDblClk);
                                         break;
                                     case QSystemTrayIcon::MiddleClick:
                                         post(*raw, kWmMButtonDown);
                                         post(*raw, kWmMButtonUp);
                                         break;
                                     default:
                                         break;
                                 }
                             });
            QObject::connect(raw->tray.get(), &QSystemTrayIcon::messageClicked, raw->tray.get(),
                             [this, raw] {
                                 // A desktop notification can be clicked long after its time;
                                 // the shell reports clicks on a balloon that is up only.
                                 if (!raw->balloon.showing) return;
                                 raw->balloon.showing = false;
                                 raw->balloonTimer->stop();
                                 post(*raw, kNinBalloonUserClick);
                             });
            QObject::connect(raw->balloonTimer.get(), &QTimer::timeout, raw->balloonTimer.get(),
                             [this, raw] {
                                 raw->balloon.showing = false;
                                 post(*raw, kNinBalloonTimeout);
                             });
            entries_.emplace(key, std::move(entry));
            applyRecord(*raw);
            return 1;
        }
        case kNimModify: {
            Entry* entry = find(key);
            if (!entry) return 0;
            applyRecord(*entry);
            return 1;
        }
        case kNimDelete: {
            const auto it = entries_.find(key);
            if (it == entries_.end()) return 0;
            // Hiding the icon first takes Qt's balloon down with it.
            it->second->tray->hide();
            entries_.erase(it);
            return 1;
        }
        default:
            return 0;
    }
}

void QtNotificationArea::apply(Entry& entry, std::uint32_t flags, std::uint32_t callbackMessage,
                               std::uint32_t iconHandle, const QString& tip,
                               const QString& infoTitle, const QString& info,
                               std::uint32_t timeoutMs) {
    if (flags & kNifMessage) entry.callbackMessage = callbackMessage;
    if (flags & kNifIcon) {
        const QIcon picture = icon(iconHandle);
        entry.tray->setIcon(picture.isNull() ? blankIcon() : picture);
    }
    if (flags & kNifTip) entry.tray->setToolTip(tip);
    // Shown before any balloon: Qt shows balloons on visible icons only.
    if (!entry.tray->isVisible()) entry.tray->show();
    if (flags & kNifInfo) {
        if (info.isEmpty()) {
            clearBalloon(entry);
        } else {
            showBalloon(entry, infoTitle, info, timeoutMs);
        }
    }
}

void QtNotificationArea::showBalloon(Entry& entry, const QString& title, const QString& text,
                                     std::uint32_t timeoutMs) {
    const int shownMs =
        timeoutMs == 0 || timeoutMs > static_cast<std::uint32_t>(std::numeric_limits<int>::max())
            ? kDefaultBalloonMs
            : static_cast<int>(timeoutMs);
    // A new balloon replaces the one on show without ending it: its owner is still waiting,
    // and the end of the new one ends both.
    entry.balloon = Balloon{title, text, shownMs, true};
    entry.tray->showMessage(title, text, QSystemTrayIcon::NoIcon, shownMs);
    entry.balloonTimer->start(shownMs);
}

void QtNotificationArea::clearBalloon(Entry& entry) {
    const bool wasShowing = entry.balloon.showing;
    entry.balloon = Balloon{};
    entry.balloonTimer->stop();
    if (wasShowing && qtBalloonShowing()) {
        entry.tray->showMessage(QString(), QString(), QSystemTrayIcon::NoIcon, 0);
    }
}

void QtNotificationArea::post(const Entry& entry, std::uint32_t code) {
    QMetaObject::invokeMethod(
        context_.get(),
        [this, key = entry.key, serial = entry.serial, code] {
            runHandler(context_.get(), [this, key, serial, code] { deliver(key, serial, code); });
        },
        Qt::QueuedConnection);
}

void QtNotificationArea::deliver(Key key, std::uint64_t serial, std::uint32_t code) {
    const Entry* entry = find(key);
    // Dropped when the icon was deleted (and perhaps added anew) since the notification
    // was queued, or when the icon asked for no callbacks.
    if (!entry || entry->serial != serial || entry->callbackMessage == 0) return;
    // Copied out: the window's handler may delete the icon.
    const WindowHandle window = entry->key.first;
    const std::uint32_t id = entry->key.second;
    const std::uint32_t callbackMessage = entry->callbackMessage;
    windows_.sendMessage(window, callbackMessage, id, static_cast<std::int32_t>(code));
}

}  // namespace tw::qt_platform
