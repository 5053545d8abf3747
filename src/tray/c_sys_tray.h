#pragma once

// cSysTray: one icon in the notification area with tooltip, balloon and mouse events.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/services/clock.h"
#include "platform/services/event_pump.h"
#include "platform/services/notification_area.h"
#include "platform/services/picture.h"
#include "platform/services/window_handle.h"
#include "platform/services/window_hook.h"
#include "tray/m_sys_tray.h"

namespace tw {

// Named design-time properties saved with the window layout that hosts the control.
class PropertyBag {
  public:
    virtual ~PropertyBag() = default;
    virtual std::optional<bool> readBool(const std::string& name) = 0;
    virtual std::optional<Picture> readPicture(const std::string& name) = 0;
    virtual std::optional<std::string> readString(const std::string& name) = 0;
};

inline constexpr int kTrayControlSizeTwips = 510;

class cSysTray final : public mSysTray::TrayMessageTarget {
  public:
    struct Services {
        NotificationArea& notificationArea;
        WindowHook& windowHook;
        EventPump& pump;
        Clock& clock;
    };

    // `trayWindow` is the control's own window; `ownPicture` the picture stored with the design.
    cSysTray(Services services, WindowHandle trayWindow, Picture ownPicture);
    // Termination: takes the icon out of the tray when it is in.
    ~cSysTray();
    cSysTray(const cSysTray&) = delete;
    cSysTray& operator=(const cSysTray&) = delete;

    std::optional<Picture> TrayIcon() const;
    void setTrayIcon(const std::optional<Picture>& picture);
    const std::string& TrayTip() const;
    void setTrayTip(const std::string& tip);
    bool InTray() const;
    void setInTray(bool value);
    void ShowBalloon(const std::string& Tip, const std::string& sTitle, std::int32_t ShowTimer,
                     bool ShowOnce);

    // Called by the tray window procedure with the callback's lParam and wParam.
    void HandleTrayMessage(std::uint32_t Notification, std::uint32_t IconId) override;

    // Design-time host: run mode versus design mode (always run mode without a designer).
    void setUserMode(bool userMode);
    void initProperties();  // a new instance placed at design time
    void readProperties(PropertyBag& bag);
    // The control keeps itself 510 x 510 twips.
    void resize(int widthTwips, int heightTwips);
    int widthTwips() const;
    int heightTwips() const;
    WindowHandle trayWindow() const;
    bool iconAdded() const;
    bool balloonPending() const;

    // Events.
    std::function<void(std::int32_t Id)> MouseMove;
    std::function<void(std::int16_t Button, std::int32_t Id)> MouseDown;
    std::function<void(std::int16_t Button, std::int32_t Id)> MouseUp;
    std::function<void(std::int16_t Button, std::int32_t Id)> MouseDblClick;
    // Tells the host that a persisted property changed.
    std::function<void(const std::string& name)> PropertyChanged;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tw
