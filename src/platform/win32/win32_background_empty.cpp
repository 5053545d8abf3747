#include "platform/win32/win32_background_empty.h"

#include "platform/win32/win32_api.h"

#include <objbase.h>

#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "platform/win32/win32_event_pump.h"
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

Win32BackgroundEmptyShell::Win32BackgroundEmptyShell(RecycleBinShell& shell, Win32EventPump& loop)
    : ForwardingRecycleBinShell(shell),
      loop_(loop),
      measured_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    if (measured_) loop_.watch(measured_, [this] { handOver(); });
}

Win32BackgroundEmptyShell::~Win32BackgroundEmptyShell() {
    loop_.unwatch(measured_);
    handlerGate().drop(this);
    if (worker_) {
        WaitForSingleObject(worker_, INFINITE);
        CloseHandle(worker_);
    }
    if (measured_) CloseHandle(measured_);
}

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

void Win32BackgroundEmptyShell::measureBinsLater(std::int64_t keepSeconds,
                                                 std::function<void(const TrashMeasure&)> done) {
    Request request{keepSeconds, std::move(done)};
    if (running_) {
        next_ = std::move(request);
    } else {
        start(std::move(request));
    }
}

void Win32BackgroundEmptyShell::start(Request request) {
    if (!measured_) return;  // no event to hand the result over by: there is no measure
    running_ = std::move(request);
    worker_ = CreateThread(nullptr, 0, &measureOnWorker, this, 0, nullptr);
    // No thread to spare: measured here, handed over from the loop all the same.
    if (!worker_) measureOnWorker(this);
}

DWORD WINAPI Win32BackgroundEmptyShell::measureOnWorker(void* self) {
    auto& shell = *static_cast<Win32BackgroundEmptyShell*>(self);
    const std::int64_t keepSeconds = shell.running_->keepSeconds;
    Job job{[&] { shell.result_ = shell.shell_.measureBins(keepSeconds); }, nullptr};
    runOnWorker(&job);
    if (job.failure) {
        shell.result_ = {};
        try {
            std::rethrow_exception(job.failure);
        } catch (const std::exception& e) {
            shell.result_.error = e.what();
        } catch (...) {
            shell.result_.error = "the bins could not be measured";
        }
    }
    SetEvent(shell.measured_);
    return 0;
}

void Win32BackgroundEmptyShell::handOver() {
    if (worker_) {
        WaitForSingleObject(worker_, INFINITE);  // it has measured: only its end is left
        CloseHandle(worker_);
        worker_ = nullptr;
    }
    if (!running_) return;
    Request done = std::move(*running_);
    running_.reset();
    handlerGate().run(this,
                      [&loop = loop_, done = std::move(done.done), result = std::move(result_)] {
                          if (!loop.ended()) done(result);
                      });
    if (next_) {
        Request request = std::move(*next_);
        next_.reset();
        start(std::move(request));
    }
}

}  // namespace tw::win32_platform
