#include "platform/win32/win32_background_empty.h"

#include "platform/win32/win32_api.h"

#include <objbase.h>

#include <exception>
#include <optional>
#include <string>

#include "platform/win32/win32_handler_gate.h"

namespace tw::win32_platform {

namespace {

struct Empty {
    RecycleBinShell& shell;
    WindowHandle owner;
    std::optional<std::string> root;
    std::uint32_t flags;
    const EmptyOrder& order;
    EmptyReport& report;
    std::int32_t result = kShellFail;
    std::exception_ptr failure;
};

DWORD WINAPI emptyOnWorker(void* parameter) {
    auto& empty = *static_cast<Empty*>(parameter);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        empty.result =
            empty.shell.emptyRecycleBin(empty.owner, empty.root ? empty.root->c_str() : nullptr,
                                        empty.flags, empty.order, empty.report);
    } catch (...) {
        empty.failure = std::current_exception();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

// Paints, timers, the system's sent messages and posted messages go on; the user's keys and
// clicks (QS_INPUT) stay queued until the empty is over. A WM_QUIT is put back for the loop
// outside, and after it nothing more is dispatched here.
void serveUntilDone(HANDLE worker) {
    constexpr DWORD kServed = QS_PAINT | QS_POSTMESSAGE | QS_SENDMESSAGE | QS_TIMER;
    constexpr UINT kServedPeek = PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
    bool quit = false;
    for (;;) {
        const DWORD woke =
            quit ? WaitForSingleObject(worker, INFINITE)
                 : MsgWaitForMultipleObjectsEx(1, &worker, INFINITE, kServed, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) return;
        MSG msg;
        while (!quit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | kServedPeek)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                quit = true;
                break;
            }
            DispatchMessageA(&msg);
        }
    }
}

}  // namespace

std::int32_t Win32BackgroundEmptyShell::emptyRecycleBin(WindowHandle owner, const char* rootPath,
                                                        std::uint32_t flags,
                                                        const EmptyOrder& order,
                                                        EmptyReport& report) {
    Empty empty{shell_,     owner,  rootPath ? std::optional<std::string>(rootPath) : std::nullopt,
                flags,      order,  report,
                kShellFail, nullptr};
    const GateHold hold(handlerGate());
    HANDLE worker = CreateThread(nullptr, 0, &emptyOnWorker, &empty, 0, nullptr);
    if (worker == nullptr) {
        // No thread to spare: empty here, as a blocking call would.
        emptyOnWorker(&empty);
    } else {
        serveUntilDone(worker);
        CloseHandle(worker);
    }
    if (empty.failure) std::rethrow_exception(empty.failure);
    return empty.result;
}

}  // namespace tw::win32_platform
