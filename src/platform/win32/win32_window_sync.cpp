#include "platform/win32/win32_window_sync.h"

#include <string>

#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_text.h"

namespace tw::win32_platform {

namespace {

HICON programIcon(int sizeMetricX, int sizeMetricY) {
    return static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconResourceId), IMAGE_ICON,
                   GetSystemMetrics(sizeMetricX), GetSystemMetrics(sizeMetricY), LR_SHARED));
}

void centre(HWND window) {
    RECT area{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) return;
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

HCURSOR windowPointer(int pointer, HCURSOR custom) {
    if (pointer == controls::kPointerHourglass) return LoadCursorA(nullptr, IDC_WAIT);
    if (pointer == controls::kPointerCustom)
        return custom ? custom : LoadCursorA(nullptr, IDC_ARROW);
    return nullptr;
}

void syncWindowLook(const controls::Window& model, HWND window, WindowMirror& mirror,
                    bool takesInput) {
    const std::string title = toAnsi(model.caption());
    char shown[256] = {};
    GetWindowTextA(window, shown, sizeof shown);
    if (title != shown) SetWindowTextA(window, title.c_str());
    if (mirror.hasIcon != int(model.hasIcon())) {
        HICON big = model.hasIcon() ? programIcon(SM_CXICON, SM_CYICON) : nullptr;
        HICON small = model.hasIcon() ? programIcon(SM_CXSMICON, SM_CYSMICON) : nullptr;
        SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
        mirror.hasIcon = model.hasIcon();
    }
    if ((IsWindowEnabled(window) != FALSE) != takesInput) EnableWindow(window, takesInput);
}

void syncWindowShown(const controls::Window& model, HWND window, WindowMirror& mirror) {
    const bool visible = IsWindowVisible(window) != FALSE;
    const bool iconic = IsIconic(window) != FALSE;
    if (!model.visible()) {
        // The minimised state stays until the next show, which restores it.
        if (visible) ShowWindow(window, SW_HIDE);
        return;
    }
    if (!mirror.placed) {
        centre(window);
        mirror.placed = true;
    }
    if (model.windowState() == controls::WindowState::Minimized) {
        if (!visible || !iconic) ShowWindow(window, SW_SHOWMINIMIZED);
    } else if (!visible || iconic) {
        ShowWindow(window, iconic ? SW_RESTORE : SW_SHOW);
    }
}

}  // namespace tw::win32_platform
