#pragma once

// Tells when the X desktop's notification area changes hands: the owner of the selection
// `_NET_SYSTEM_TRAY_S<screen>` that an XEmbed tray holds while it runs. The X server reports
// each change of owner (XFixes selection notify), so a panel that quits, crashes or is
// replaced is told at once and nothing is asked meanwhile. It listens on Qt's own X connection.

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>
#include <memory>

namespace tw::qt_platform {

class X11TrayOwnerWatch : public QAbstractNativeEventFilter {
  public:
    // Null where the program does not run on X or the server lacks XFixes. `changed` runs
    // inside Qt's handling of the X event, before Qt has seen it: the caller decides later.
    // It also runs for every window destroyed that Qt hears of: when a panel quits, the server
    // clears its selection before it destroys its windows, and Qt takes the tray for there
    // until the tray window's DestroyNotify.
    static std::unique_ptr<X11TrayOwnerWatch> create(std::function<void()> changed);
    ~X11TrayOwnerWatch() override;
    X11TrayOwnerWatch(const X11TrayOwnerWatch&) = delete;
    X11TrayOwnerWatch& operator=(const X11TrayOwnerWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    X11TrayOwnerWatch(std::function<void()> changed, std::uint32_t selection,
                      std::uint8_t selectionNotify);

    std::function<void()> changed_;
    std::uint32_t selection_;
    std::uint8_t selectionNotify_;
};

}  // namespace tw::qt_platform
