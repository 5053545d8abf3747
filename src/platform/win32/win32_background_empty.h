#pragma once

// The recycle-bin shell as the window host offers it: the empty of the bins, which can take
// minutes for a large bin, runs on a worker thread (with COM of its own, as the shell wants)
// while the user-interface thread goes on painting (the status line and the busy pointer show
// at once) and answering the system, so the window is never taken for one that stopped
// responding. The caller still waits for the result exactly as for a blocking call: the user's
// input stays in the thread's queue and every other way into a handler waits at the handler
// gate (win32_handler_gate.h), so no handler runs inside an empty and all keep their order.
// A whole walk over the drives goes to the worker too: querying a large bin takes long as well.
// A measure of the bins runs on a worker of its own while the program goes on; its result is
// handed over by the program's own message loop (never by a loop inside a handler) through the
// handler gate, so it never lands inside a handler or an empty, and never after the loop ended.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/shared/forwarding_recycle_bin_shell.h"
#include "platform/win32/win32_api.h"

namespace tw::win32_platform {

class Win32EventPump;

class Win32BackgroundEmptyShell final : public ForwardingRecycleBinShell {
  public:
    // `loop` runs the program's message loop and outlives this shell.
    Win32BackgroundEmptyShell(RecycleBinShell& shell, Win32EventPump& loop);
    // Waits for a measure under way; its result is never handed over.
    ~Win32BackgroundEmptyShell() override;
    Win32BackgroundEmptyShell(const Win32BackgroundEmptyShell&) = delete;
    Win32BackgroundEmptyShell& operator=(const Win32BackgroundEmptyShell&) = delete;

    // Returns once the wrapped shell's empty has ended, with its result (or its exception).
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath, std::uint32_t flags,
                                 const EmptyOrder& order, EmptyReport& report) override;
    // The same for the list of drives, their queries and their empties together.
    void walkDrives(const std::function<void(RecycleBinShell&)>& walk) override;
    // A request made while a measure is under way starts once that one is handed over.
    void measureBinsLater(std::int64_t keepSeconds,
                          std::function<void(const TrashMeasure&)> done) override;

  private:
    struct Request {
        std::int64_t keepSeconds;
        std::function<void(const TrashMeasure&)> done;
    };
    static DWORD WINAPI measureOnWorker(void* self);
    void start(Request request);
    void handOver();  // from the program's loop, once the worker has measured

    Win32EventPump& loop_;
    HANDLE measured_;  // set by the worker when the result is ready
    HANDLE worker_ = nullptr;
    std::optional<Request> running_;
    std::optional<Request> next_;
    TrashMeasure result_;
};

}  // namespace tw::win32_platform
