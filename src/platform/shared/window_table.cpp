#include "platform/shared/window_table.h"

namespace tw {

std::int32_t WindowTable::DefaultWindowProc(WindowHandle, std::uint32_t, std::uint32_t,
                                            std::int32_t) {
    return 0;
}

WindowProc WindowTable::setWindowProc(WindowHandle window, WindowProc proc) {
    Window& entry = windows_[window];
    const WindowProc previous = entry.proc;
    entry.proc = proc != nullptr ? proc : &DefaultWindowProc;
    return previous;
}

void WindowTable::setUserData(WindowHandle window, std::intptr_t value) {
    windows_[window].userData = value;
}

std::intptr_t WindowTable::getUserData(WindowHandle window) {
    const auto it = windows_.find(window);
    return it == windows_.end() ? 0 : it->second.userData;
}

std::int32_t WindowTable::callWindowProc(WindowProc proc, WindowHandle window,
                                         std::uint32_t message, std::uint32_t wParam,
                                         std::int32_t lParam) {
    if (proc == nullptr) return 0;
    return proc(window, message, wParam, lParam);
}

std::int32_t WindowTable::sendMessage(WindowHandle window, std::uint32_t message,
                                      std::uint32_t wParam, std::int32_t lParam) {
    // The procedure is read before the call: it may replace itself while it runs.
    return callWindowProc(windowProc(window), window, message, wParam, lParam);
}

WindowProc WindowTable::windowProc(WindowHandle window) const {
    const auto it = windows_.find(window);
    return it == windows_.end() ? &DefaultWindowProc : it->second.proc;
}

}  // namespace tw
