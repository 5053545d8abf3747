#include "platform/win32/win32_handler_gate.h"

#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

namespace {

constexpr char kGateClass[] = "TidewellHandlerGate";
constexpr UINT kDrainMessage = WM_APP + 1;

LRESULT CALLBACK gateProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kDrainMessage) {
        handlerGate().drain();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A message-only window, so that the drain is dispatched by any loop on the thread (the
// program's, a message box's, a pump inside a handler): a thread message would be lost in
// the loops that dispatch only window messages.
HWND gateWindow() {
    static HWND window = [] {
        WNDCLASSEXA cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = &gateProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = kGateClass;
        RegisterClassExA(&cls);
        return CreateWindowExA(0, kGateClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }();
    return window;
}

}  // namespace

HandlerGate& handlerGate() {
    static HandlerGate gate([] { PostMessageA(gateWindow(), kDrainMessage, 0, 0); });
    return gate;
}

}  // namespace tw::win32_platform
