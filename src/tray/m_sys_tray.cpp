#include "tray/m_sys_tray.h"

#include <optional>
#include <unordered_map>

namespace tw::mSysTray {

WindowProc PrevWindowProc = nullptr;

namespace {

// Everything here runs on the user-interface thread, so plain module state will do.
WindowHook* g_hook = nullptr;  // the service the installed hook was set up through
std::optional<WindowHandle> g_hookedWindow;
std::unordered_map<std::intptr_t, TrayMessageTarget*> g_trays;
std::intptr_t g_nextTrayId = 1;  // 0 is what an empty user-data slot holds

}  // namespace

std::int32_t TrayWindowProc(WindowHandle hWnd, std::uint32_t uMsg, std::uint32_t wParam,
                            std::int32_t lParam) {
    // Taken now: a handler run by HandleTrayMessage may remove the hook, and this message
    // still has to reach the procedure that was in front of us when it arrived.
    WindowHook* const hook = g_hook;
    const WindowProc prev = PrevWindowProc;
    if (hook == nullptr) return 0;
    if (uMsg == kTrayCallbackMessage) {
        if (TrayMessageTarget* tray = findTray(hook->getUserData(hWnd))) {
            tray->HandleTrayMessage(static_cast<std::uint32_t>(lParam), wParam);
        }
    }
    return hook->callWindowProc(prev, hWnd, uMsg, wParam, lParam);
}

std::intptr_t registerTray(TrayMessageTarget& tray) {
    const std::intptr_t id = g_nextTrayId++;
    g_trays.emplace(id, &tray);
    return id;
}

void unregisterTray(std::intptr_t trayId) {
    g_trays.erase(trayId);
}

TrayMessageTarget* findTray(std::intptr_t trayId) {
    const auto it = g_trays.find(trayId);
    return it == g_trays.end() ? nullptr : it->second;
}

bool installHook(WindowHook& hook, WindowHandle window, std::intptr_t trayId) {
    if (g_hookedWindow) return false;
    g_hook = &hook;
    PrevWindowProc = hook.setWindowProc(window, &TrayWindowProc);
    g_hookedWindow = window;
    hook.setUserData(window, trayId);
    return true;
}

void removeHook(WindowHook& hook, WindowHandle window) {
    if (g_hookedWindow != window) return;
    hook.setWindowProc(window, PrevWindowProc);
    g_hookedWindow.reset();
    g_hook = nullptr;
}

bool hookInstalled() {
    return g_hookedWindow.has_value();
}

}  // namespace tw::mSysTray
