#include "tray/c_sys_tray.h"

#include <utility>

#include "runtime/checked_int32.h"
#include "tray/shell_record.h"

namespace tw {

namespace {

constexpr const char* kDefaultTrayTip = "Vorede Vovode";

// Raises an event through a copy of its handler, so that a handler that replaces itself
// (or another one) while it runs does not pull the function out from under the call.
template <typename Handler, typename... Args>
void raise(const Handler& handler, Args... args) {
    if (Handler copy = handler) copy(args...);
}

}  // namespace

struct cSysTray::State {
    State(Services services, WindowHandle window, Picture picture)
        : services(services), trayWindow(window), ownPicture(picture) {}

    Services services;
    const WindowHandle trayWindow;
    Picture ownPicture;  // the picture the control itself displays
    bool inTray = false;
    const std::int32_t iconId = 0;
    std::string trayTip;
    std::optional<Picture> trayIcon;
    bool iconAdded = false;
    bool balloonPending = false;
    std::int32_t onceCount = 0;
    bool userMode = true;
    int widthTwips = kTrayControlSizeTwips;
    int heightTwips = kTrayControlSizeTwips;
    std::intptr_t trayId = 0;  // this control's entry among the live controls
    // Cleared on destruction; a ShowBalloon wait holds a copy to notice that a handler that
    // ran inside it destroyed the control.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    std::uint32_t shellId() const { return static_cast<std::uint32_t>(iconId); }
    void notify(std::uint32_t message, const ShellRecordFields& fields) {
        // The shell's answer is not looked at: a failed call leaves the control as if it had
        // worked, and there is nothing useful to tell the user.
        services.notificationArea.shellNotifyIcon(
            message, encodeShellRecord(fields, services.notificationArea));
    }

    void AddTrayIcon(WindowHandle window, std::int32_t id, const std::string& tip,
                     const std::optional<Picture>& icon) {
        std::optional<std::uint32_t> iconHandle;
        if (icon) {
            iconHandle = icon->handle;
            trayIcon = icon;
        }
        if (!tip.empty()) trayTip = tip;
        notify(kNimAdd, addIconRecord(window, static_cast<std::uint32_t>(id), iconHandle, tip));
    }

    void DeleteTrayIcon(WindowHandle window, std::int32_t id) {
        notify(kNimDelete, deleteIconRecord(window, static_cast<std::uint32_t>(id)));
    }
};

cSysTray::cSysTray(Services services, WindowHandle trayWindow, Picture ownPicture)
    : state_(std::make_unique<State>(services, trayWindow, ownPicture)) {
    state_->trayId = mSysTray::registerTray(*this);
}

cSysTray::~cSysTray() {
    State& s = *state_;
    // Take the icon out as setting InTray to false would, but tell the host nothing: the
    // host is usually being torn down itself.
    if (s.inTray && s.iconAdded) {
        s.DeleteTrayIcon(s.trayWindow, s.iconId);
        mSysTray::removeHook(s.services.windowHook, s.trayWindow);
        s.iconAdded = false;
    }
    s.inTray = false;
    mSysTray::unregisterTray(s.trayId);
    *s.alive = false;
}

std::optional<Picture> cSysTray::TrayIcon() const {
    return state_->trayIcon;
}

void cSysTray::setTrayIcon(const std::optional<Picture>& picture) {
    State& s = *state_;
    if (!picture || picture->type != Picture::Type::Icon) return;
    if (s.iconAdded)
        s.notify(kNimModify, modifyIconRecord(s.trayWindow, s.shellId(), picture->handle));
    s.trayIcon = picture;
    s.ownPicture = *picture;
    raise(PropertyChanged, std::string("TrayIcon"));
}

const std::string& cSysTray::TrayTip() const {
    return state_->trayTip;
}

void cSysTray::setTrayTip(const std::string& tip) {
    State& s = *state_;
    if (s.iconAdded) s.notify(kNimModify, modifyTipRecord(s.trayWindow, s.shellId(), tip));
    s.trayTip = tip;
    raise(PropertyChanged, std::string("TrayTip"));
}

bool cSysTray::InTray() const {
    return state_->inTray;
}

void cSysTray::setInTray(bool value) {
    State& s = *state_;
    if (value == s.inTray) return;
    if (value) {
        // The procedure and the user-data slot come first, so that the first callback for
        // the new icon already finds its control.
        if (s.userMode && mSysTray::installHook(s.services.windowHook, s.trayWindow, s.trayId)) {
            const std::optional<Picture> icon = TrayIcon();
            const std::string tip = TrayTip();
            try {
                s.AddTrayIcon(s.trayWindow, s.iconId, tip, icon);
            } catch (...) {
                mSysTray::removeHook(s.services.windowHook, s.trayWindow);
                throw;
            }
            s.iconAdded = true;
        }
    } else if (s.iconAdded) {
        // Icon first: no callback may arrive once the procedure is gone.
        s.DeleteTrayIcon(s.trayWindow, s.iconId);
        mSysTray::removeHook(s.services.windowHook, s.trayWindow);
        s.iconAdded = false;
    }
    s.inTray = value;
    raise(PropertyChanged, std::string("InTray"));
}

void cSysTray::ShowBalloon(const std::string& Tip, const std::string& sTitle,
                           std::int32_t ShowTimer, bool ShowOnce) {
    State& s = *state_;
    if (ShowOnce && s.onceCount >= 1) return;

    // Checked before anything is shown, so an impossible display time shows nothing.
    const std::int32_t timeoutMs = ShowTimer > 0 ? checked::multiply(ShowTimer, 1000) : 0;
    const ShellRecordFields balloon = balloonRecord(s.trayWindow, s.shellId(), Tip, sTitle,
                                                    static_cast<std::uint32_t>(timeoutMs));
    s.notify(kNimModify, balloon);
    s.balloonPending = true;
    if (ShowOnce) s.onceCount = checked::add(s.onceCount, 1);
    if (ShowTimer <= 0) return;

    // Wait for the balloon's end or its time, letting other handlers run meanwhile (among
    // them HandleTrayMessage, which ends the wait). Handlers that run here may show another
    // balloon, take the icon out or even destroy this control.
    const std::shared_ptr<bool> alive = s.alive;
    EventPump& pump = s.services.pump;
    Clock& clock = s.services.clock;
    const double start = clock.monotonicSeconds();
    for (;;) {
        const double elapsed = clock.monotonicSeconds() - start;
        if (elapsed >= ShowTimer || !state_->balloonPending) break;
        pump.waitForEvents(ShowTimer - elapsed);
        if (!*alive) return;
    }
    // The time ran out first: take the balloon down. BalloonPending stays set until the shell
    // says the balloon has ended.
    if (state_->balloonPending) state_->notify(kNimModify, clearedBalloonRecord(balloon));
}

void cSysTray::HandleTrayMessage(std::uint32_t Notification, std::uint32_t IconId) {
    const auto id = static_cast<std::int32_t>(IconId);
    switch (Notification) {
        case kWmMouseMove:
            raise(MouseMove, id);
            break;
        case kWmLButtonDown:
            raise(MouseDown, std::int16_t{1}, id);
            break;
        case kWmLButtonUp:
            raise(MouseUp, std::int16_t{1}, id);
            break;
        case kWmLButtonDblClk:
            raise(MouseDblClick, std::int16_t{1}, id);
            break;
        case kWmRButtonDown:
            raise(MouseDown, std::int16_t{2}, id);
            break;
        case kWmRButtonUp:
            raise(MouseUp, std::int16_t{2}, id);
            break;
        case kWmRButtonDblClk:
            raise(MouseDblClick, std::int16_t{2}, id);
            break;
        case kNinBalloonHide:
        case kNinBalloonTimeout:
        case kNinBalloonUserClick:
            state_->balloonPending = false;
            break;
        default:  // middle button, balloon shown, anything newer: not ours to report
            break;
    }
}

void cSysTray::setUserMode(bool userMode) {
    state_->userMode = userMode;
}

void cSysTray::initProperties() {
    setInTray(false);
    setTrayTip(kDefaultTrayTip);
    setTrayIcon(state_->ownPicture);
}

void cSysTray::readProperties(PropertyBag& bag) {
    setInTray(bag.readBool("InTray").value_or(false));
    setTrayIcon(bag.readPicture("TrayIcon").value_or(state_->ownPicture));
    setTrayTip(bag.readString("TrayTip").value_or(kDefaultTrayTip));
}

void cSysTray::resize(int, int) {
    state_->heightTwips = kTrayControlSizeTwips;
    state_->widthTwips = kTrayControlSizeTwips;
}

int cSysTray::widthTwips() const {
    return state_->widthTwips;
}
int cSysTray::heightTwips() const {
    return state_->heightTwips;
}
WindowHandle cSysTray::trayWindow() const {
    return state_->trayWindow;
}
bool cSysTray::iconAdded() const {
    return state_->iconAdded;
}
bool cSysTray::balloonPending() const {
    return state_->balloonPending;
}

}  // namespace tw
