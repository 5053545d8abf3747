#pragma once

// mSysTray: the window procedure that the tray control puts in front of its window's own
// procedure while its icon is shown, so that the shell's callbacks reach the control.

#include <cstdint>

#include "platform/services/window_handle.h"
#include "platform/services/window_hook.h"

namespace tw {

// The message the shell sends to the tray window for the icon's mouse events.
inline constexpr std::uint32_t kTrayCallbackMessage = 0x465;

namespace mSysTray {

// What the procedure hands the shell's callback to: the control that owns the window.
class TrayMessageTarget {
  public:
    virtual void HandleTrayMessage(std::uint32_t Notification, std::uint32_t IconId) = 0;

  protected:
    ~TrayMessageTarget() = default;
};

// The procedure TrayWindowProc replaced. One per process: one hooked window at a time.
extern WindowProc PrevWindowProc;

// Hands the tray callback (kTrayCallbackMessage) to the control that owns the window, then
// passes every message, that one included, to PrevWindowProc and returns its result.
std::int32_t TrayWindowProc(WindowHandle hWnd, std::uint32_t uMsg, std::uint32_t wParam,
                            std::int32_t lParam);

// Live controls, by the number their window's user-data slot holds. A control enters when it
// is created and leaves when it is destroyed, so a slot that outlives its control finds
// nothing instead of a dangling pointer, and the lookup never keeps a control alive.
std::intptr_t registerTray(TrayMessageTarget& tray);
void unregisterTray(std::intptr_t trayId);
TrayMessageTarget* findTray(std::intptr_t trayId);

// Installs TrayWindowProc on `window` (keeping the replaced procedure in PrevWindowProc),
// then stores `trayId` in the window's user-data slot. Returns false, changing nothing, while
// another window is hooked: a second hook would overwrite PrevWindowProc and cut the first
// window off from its own procedure.
bool installHook(WindowHook& hook, WindowHandle window, std::intptr_t trayId);
// Puts PrevWindowProc back as the window's procedure. The user-data slot is left alone.
void removeHook(WindowHook& hook, WindowHandle window);
// Whether a window is hooked right now.
bool hookInstalled();

}  // namespace mSysTray
}  // namespace tw
