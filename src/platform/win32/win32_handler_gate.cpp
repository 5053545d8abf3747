#include "platform/win32/win32_handler_gate.h"

#include "platform/handler_gate.h"
#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

namespace {

constexpr char kGateClass[] = "TidewellHandlerGate";
constexpr UINT kDrainMessage = WM_APP + 1;

HandlerGate& gate();

LRESULT CALLBACK gateProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kDrainMessage) {
        gate().drain();
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

HandlerGate& gate() {
    static HandlerGate instance([] { PostMessageA(gateWindow(), kDrainMessage, 0, 0); });
    return instance;
}

}  // namespace

HandlerHold::HandlerHold() {
    gate().hold();
}

HandlerHold::~HandlerHold() {
    gate().release();
}

bool handlersHeld() {
    return gate().held();
}

void runHandler(const void* owner, std::function<void()> call) {
    gate().run(owner, std::move(call));
}

void dropHandlers(const void* owner) {
    gate().drop(owner);
}

}  // namespace tw::win32_platform
