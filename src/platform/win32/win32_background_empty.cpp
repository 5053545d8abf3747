#include "platform/win32/win32_background_empty.h"

#include "platform/win32/win32_api.h"

#include <objbase.h>

#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "platform/win32/win32_handler_gate.h"

namespace tw::win32_platform {

namespace {

// A job for the worker: its exception is carried back to the waiting thread.
struct Job {
    std::function<void()> run;
    std::exception_ptr failure;
};

DWORD WINAPI runOnWorker(void* parameter) {
    auto& job = *static_cast<Job*>(parameter);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        job.run();
    } catch (...) {
        job.failure = std::current_exception();
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

// Holds the handler gate and serves the window while `run` goes on on a worker thread.
void runAway(std::function<void()> run) {
    Job job{std::move(run), nullptr};
    const GateHold hold(handlerGate());
    HANDLE worker = CreateThread(nullptr, 0, &runOnWorker, &job, 0, nullptr);
    if (worker == nullptr) {
        // No thread to spare: run here, as a blocking call would.
        runOnWorker(&job);
    } else {
        serveUntilDone(worker);
        CloseHandle(worker);
    }
    if (job.failure) std::rethrow_exception(job.failure);
}

}  // namespace

std::int32_t Win32BackgroundEmptyShell::emptyRecycleBin(WindowHandle owner, const char* rootPath,
                                                        std::uint32_t flags,
                                                        const EmptyOrder& order,
                                                        EmptyReport& report) {
    const std::optional<std::string> root =
        rootPath ? std::optional<std::string>(rootPath) : std::nullopt;
    std::int32_t result = kShellFail;
    runAway([&] {
        result =
            shell_.emptyRecycleBin(owner, root ? root->c_str() : nullptr, flags, order, report);
    });
    return result;
}

void Win32BackgroundEmptyShell::walkDrives(const std::function<void(RecycleBinShell&)>& walk) {
    runAway([&] { walk(shell_); });
}

}  // namespace tw::win32_platform
