#include "platform/win32/win32_event_pump.h"

#include <algorithm>

#include "platform/win32/win32_lifetime.h"

namespace tw::win32_platform {

bool Win32EventPump::ended() const {
    return quit_ || (lifetime_ && lifetime_->ended());
}

void Win32EventPump::dispatch(MSG& msg) {
    if (dialog_ && IsWindow(dialog_) && IsDialogMessageA(dialog_, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

int Win32EventPump::pumpWaiting() {
    int handled = 0;
    MSG msg;
    while (!ended() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ++handled;
        if (msg.message == WM_QUIT) {
            quit_ = true;
            quitCode_ = static_cast<int>(msg.wParam);
            PostQuitMessage(quitCode_);  // for the loop outside this handler
            break;
        }
        dispatch(msg);
    }
    return handled;
}

void Win32EventPump::processEvents() {
    pumpWaiting();
}

void Win32EventPump::waitForEvents(double seconds) {
    if (!(seconds > 0) || ended()) return;
    constexpr double kLongestWait = 86400.0;
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(std::min(seconds, kLongestWait) * 1000.0 + 0.5);
    for (;;) {
        // Back to the caller once something has happened, so that it can see whether what
        // it waits for has come.
        if (pumpWaiting() > 0 || ended()) return;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        // MWMO_INPUTAVAILABLE: wake for messages that are already queued, too, not only for
        // those that arrive after the call.
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

int Win32EventPump::run() {
    MSG msg;
    while (!quit_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            quit_ = true;
            quitCode_ = static_cast<int>(msg.wParam);
            break;
        }
        dispatch(msg);
    }
    return quitCode_;
}

}  // namespace tw::win32_platform
