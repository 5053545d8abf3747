#include "platform/win32/win32_window_hook.h"

#include <iterator>
#include <map>

#include "platform/win32/win32_handler_gate.h"

namespace tw::win32_platform {

namespace {

// Window procedures belong to the process, not to an object: the trampoline finds its
// subclass by the window it was called for. All of it runs on the user-interface thread.
struct Subclass {
    WindowHandle logical = 0;
    WNDPROC own = nullptr;      // the window's procedure before the trampoline
    WindowProc core = nullptr;  // null: the trampoline only passes messages on
    const Win32WindowHook* owner = nullptr;
};

std::map<HWND, Subclass>& subclasses() {
    static std::map<HWND, Subclass> table;
    return table;
}

// The real window behind each logical handle the hook has seen, for WindowOwnProc.
std::map<WindowHandle, HWND>& knownWindows() {
    static std::map<WindowHandle, HWND> table;
    return table;
}

LRESULT CALLBACK trampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto it = subclasses().find(window);
    if (it == subclasses().end()) return DefWindowProcA(window, message, wParam, lParam);
    // Copied: the call may take the subclass away.
    const Subclass subclass = it->second;
    // The program's own messages (the tray's notifications) reach its handlers; during an
    // empty they wait for it, and then run in their turn.
    if (subclass.core && message >= WM_USER && handlerGate().held()) {
        const WindowProc core = subclass.core;
        handlerGate().run(subclass.owner,
                          [core, logical = subclass.logical, message, wParam, lParam] {
                              core(logical, message, static_cast<std::uint32_t>(wParam),
                                   static_cast<std::int32_t>(lParam));
                          });
        return 0;
    }
    const LRESULT result =
        subclass.core ? subclass.core(subclass.logical, message, static_cast<std::uint32_t>(wParam),
                                      static_cast<std::int32_t>(lParam))
                      : CallWindowProcA(subclass.own, window, message, wParam, lParam);
    // The window is gone; its handle may come back for another window.
    if (message == WM_NCDESTROY) subclasses().erase(window);
    return result;
}

LONG procedureValue(WNDPROC proc) {
    return reinterpret_cast<LONG>(proc);
}

// Takes the trampoline off the window. When another procedure has been put in front of it
// since, the trampoline stays, passing messages straight on: removing it would cut the later
// procedure off.
void unhook(HWND window, Subclass& subclass) {
    if (GetWindowLongA(window, GWL_WNDPROC) == procedureValue(&trampoline)) {
        SetWindowLongA(window, GWL_WNDPROC, procedureValue(subclass.own));
        subclasses().erase(window);
    } else {
        subclass.core = nullptr;
    }
}

}  // namespace

Win32WindowHook::~Win32WindowHook() {
    handlerGate().drop(this);
    auto& table = subclasses();
    for (auto it = table.begin(); it != table.end();) {
        auto next = std::next(it);
        if (it->second.owner == this && IsWindow(it->first)) unhook(it->first, it->second);
        it = next;
    }
}

std::int32_t Win32WindowHook::WindowOwnProc(WindowHandle window, std::uint32_t message,
                                            std::uint32_t wParam, std::int32_t lParam) {
    const auto known = knownWindows().find(window);
    if (known == knownWindows().end()) return 0;
    const HWND hwnd = known->second;
    const auto it = subclasses().find(hwnd);
    // Once unhooked, the window's own procedure is its current one again.
    const WNDPROC own = it != subclasses().end()
                            ? it->second.own
                            : reinterpret_cast<WNDPROC>(GetWindowLongA(hwnd, GWL_WNDPROC));
    if (own == nullptr || own == &trampoline) return 0;
    return static_cast<std::int32_t>(CallWindowProcA(own, hwnd, message, wParam, lParam));
}

WindowProc Win32WindowHook::setWindowProc(WindowHandle window, WindowProc proc) {
    const HWND hwnd = windows_.hwnd(window);
    if (hwnd == nullptr) return nullptr;
    knownWindows()[window] = hwnd;
    auto& table = subclasses();
    const auto it = table.find(hwnd);
    const bool removing = proc == nullptr || proc == &WindowOwnProc;
    if (it != table.end() && it->second.core != nullptr) {
        const WindowProc previous = it->second.core;
        if (removing) {
            unhook(hwnd, it->second);
        } else {
            it->second.core = proc;
        }
        return previous;
    }
    if (removing) return &WindowOwnProc;
    if (it != table.end()) {  // the trampoline is still in place, passing messages on
        it->second.core = proc;
        it->second.owner = this;
        return &WindowOwnProc;
    }
    const LONG own = SetWindowLongA(hwnd, GWL_WNDPROC, procedureValue(&trampoline));
    if (own == 0) return nullptr;
    table[hwnd] = Subclass{window, reinterpret_cast<WNDPROC>(own), proc, this};
    return &WindowOwnProc;
}

void Win32WindowHook::setUserData(WindowHandle window, std::intptr_t value) {
    if (const HWND hwnd = windows_.hwnd(window)) {
        SetWindowLongA(hwnd, GWL_USERDATA, static_cast<LONG>(value));
    }
}

std::intptr_t Win32WindowHook::getUserData(WindowHandle window) {
    const HWND hwnd = windows_.hwnd(window);
    return hwnd ? GetWindowLongA(hwnd, GWL_USERDATA) : 0;
}

std::int32_t Win32WindowHook::callWindowProc(WindowProc proc, WindowHandle window,
                                             std::uint32_t message, std::uint32_t wParam,
                                             std::int32_t lParam) {
    return proc ? proc(window, message, wParam, lParam) : 0;
}

}  // namespace tw::win32_platform
