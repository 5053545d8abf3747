#pragma once

// Subclassing real windows for the core's window procedures. The core's procedure type is not
// a window procedure (calling convention, handle type), so one __stdcall trampoline is
// installed with SetWindowLongA(GWL_WNDPROC) and calls the core's procedure with the
// window's logical handle. The window's own procedure is handed to the core as WindowOwnProc,
// which runs it through CallWindowProcA.

#include "platform/services/window_hook.h"
#include "platform/win32/win32_window_table.h"

namespace tw::win32_platform {

class Win32WindowHook : public WindowHook {
  public:
    explicit Win32WindowHook(const Win32WindowTable& windows) : windows_(windows) {}
    // Puts back the own procedure of every window this hook still subclasses.
    ~Win32WindowHook() override;
    Win32WindowHook(const Win32WindowHook&) = delete;
    Win32WindowHook& operator=(const Win32WindowHook&) = delete;

    // Installs `proc` in front of the window's own procedure; WindowOwnProc (or null) takes
    // it away again. Returns the core procedure that was in front, or WindowOwnProc. A window
    // that is not bound gets nothing installed: null is returned.
    WindowProc setWindowProc(WindowHandle window, WindowProc proc) override;
    // The window's GWL_USERDATA slot.
    void setUserData(WindowHandle window, std::intptr_t value) override;
    std::intptr_t getUserData(WindowHandle window) override;
    std::int32_t callWindowProc(WindowProc proc, WindowHandle window, std::uint32_t message,
                                std::uint32_t wParam, std::int32_t lParam) override;

    // Stands for the procedure the window had before it was subclassed.
    static std::int32_t WindowOwnProc(WindowHandle window, std::uint32_t message,
                                      std::uint32_t wParam, std::int32_t lParam);

  private:
    const Win32WindowTable& windows_;
};

}  // namespace tw::win32_platform
