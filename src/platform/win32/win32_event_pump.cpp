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

void Win32EventPump::watch(HANDLE event, std::function<void()> call) {
    watched_.push_back({event, std::move(call)});
}

void Win32EventPump::unwatch(HANDLE event) {
    std::erase_if(watched_, [event](const Watched& w) { return w.event == event; });
}

int Win32EventPump::run() {
    std::vector<HANDLE> events;
    MSG msg;
    while (!quit_) {
        events.clear();
        for (const Watched& w : watched_) events.push_back(w.event);
        const auto count = static_cast<DWORD>(events.size());
        // A signalled event is served before the messages waiting, so a stream of messages
        // can't hold it back for ever.
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, events.data(), INFINITE, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        if (woke < WAIT_OBJECT_0 + count) {
            // A copy: the call may watch or unwatch.
            const std::function<void()> call = watched_[woke - WAIT_OBJECT_0].call;
            if (!ended()) call();
            continue;
        }
        if (woke == WAIT_FAILED) {
            // A handle gone bad: sleep in GetMessage rather than spin.
            if (GetMessageA(&msg, nullptr, 0, 0) == -1) break;
        } else if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            continue;
        }
        if (msg.message == WM_QUIT) {
            quit_ = true;
            quitCode_ = static_cast<int>(msg.wParam);
            break;
        }
        dispatch(msg);
    }
    return quitCode_;
}

}  // namespace tw::win32_platform
