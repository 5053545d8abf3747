#include "platform/win32/win32_tray_watch.h"

#include "platform/win32/win32_handler_gate.h"

namespace tw::win32_platform {

namespace {

constexpr UINT_PTR kWatchTimer = 1;
// A taskbar is rarely lost: two seconds finds it soon enough at almost no cost.
constexpr UINT kWatchMilliseconds = 2000;

}  // namespace

TrayWatch::TrayWatch(HWND window, Callbacks callbacks)
    : window_(window), callbacks_(std::move(callbacks)) {}

TrayWatch::~TrayWatch() {
    if (watching_) KillTimer(window_, kWatchTimer);
    handlerGate().drop(this);
}

void TrayWatch::follow(bool hidden) {
    const bool watch = hidden && callbacks_.available && callbacks_.lost;
    if (watch == watching_) return;
    watching_ = watch;
    if (watch) {
        SetTimer(window_, kWatchTimer, kWatchMilliseconds, nullptr);
    } else {
        KillTimer(window_, kWatchTimer);
    }
}

bool TrayWatch::handle(UINT message, WPARAM wParam) {
    if (callbacks_.taskbarCreatedMessage != 0 && message == callbacks_.taskbarCreatedMessage) {
        if (callbacks_.taskbarCreated) handlerGate().run(this, callbacks_.taskbarCreated);
        return true;
    }
    if (message != WM_TIMER || wParam != kWatchTimer) return false;
    if (watching_ && !callbacks_.available()) {
        handlerGate().run(this, [this] {
            if (watching_ && !callbacks_.available()) callbacks_.lost();
        });
    }
    return true;
}

}  // namespace tw::win32_platform
