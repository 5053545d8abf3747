#pragma once

// The notification area over QSystemTrayIcon. It reads the shell's icon records, shows the
// icon, tooltip and balloon they describe, and turns the user's activity on the icon into the
// shell's notification codes, sent as the record's callback message to the record's window.
//
// Icons are found by handle in a small registry; kApplicationIconHandle is the application icon.
//
// Notifications are queued on the user-interface thread in the order they happen and sent
// one per call, so that the handlers they run (which may delete the icon) never run inside
// Qt's own signal emission. A notification still queued when its icon is deleted is dropped.
//
// Where no notification area exists yet, a shown icon waits: Qt puts it into a tray that
// appears later (an XEmbed tray such as icewm's, or a StatusNotifier host on D-Bus).

#include <QIcon>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "platform/services/notification_area.h"
#include "platform/services/window_handle.h"
#include "platform/services/window_messages.h"

class QObject;
class QSystemTrayIcon;

namespace tw::qt_platform {

class QtNotificationArea : public NotificationArea {
  public:
    explicit QtNotificationArea(WindowMessages& windows);
    ~QtNotificationArea() override;
    QtNotificationArea(const QtNotificationArea&) = delete;
    QtNotificationArea& operator=(const QtNotificationArea&) = delete;

    // Returns 1 when the operation was carried out, 0 when the record was refused (unknown
    // operation, wrong size, adding an icon twice, changing or deleting an unknown one).
    std::int32_t shellNotifyIcon(std::uint32_t message, const ShellRecord& record) override;
    bool isAvailable() const override;

    // Makes `icon` available to records under the returned handle.
    std::uint32_t registerIcon(const QIcon& icon);
    // The icon for a handle; a null icon for a handle nobody registered.
    QIcon icon(std::uint32_t handle) const;

    // What is on show, for the host's tests and diagnostics.
    struct Balloon {
        QString title;
        QString text;
        int timeoutMs = 0;
        bool showing = false;
    };
    QSystemTrayIcon* trayIcon(WindowHandle window, std::uint32_t id) const;
    Balloon balloon(WindowHandle window, std::uint32_t id) const;

  private:
    using Key = std::pair<WindowHandle, std::uint32_t>;
    struct Entry;

    void apply(Entry& entry, std::uint32_t flags, std::uint32_t callbackMessage,
               std::uint32_t iconHandle, const QString& tip, const QString& infoTitle,
               const QString& info, std::uint32_t timeoutMs);
    void showBalloon(Entry& entry, const QString& title, const QString& text,
                     std::uint32_t timeoutMs);
    void clearBalloon(Entry& entry);
    void post(const Entry& entry, std::uint32_t code);
    void deliver(Key key, std::uint64_t serial, std::uint32_t code);
    Entry* find(Key key) const;

    WindowMessages& windows_;
    // Receiver of the queued notifications: destroying it drops whatever is still queued.
    std::unique_ptr<QObject> context_;
    std::map<std::uint32_t, QIcon> icons_;
    std::uint32_t nextIconHandle_ = kApplicationIconHandle + 1;
    std::map<Key, std::unique_ptr<Entry>> entries_;
    std::uint64_t nextSerial_ = 1;
};

}  // namespace tw::qt_platform
