#pragma once

// The recycle-bin shell as the window host offers it: the empty of the bins, which can take
// minutes for a large trash, runs on a worker thread while the user-interface thread goes on
// painting (the status line and the busy pointer show at once) and answering the desktop, so
// that it is never offered to be killed as a program that stopped responding. The caller still
// waits for the result exactly as for a blocking call: the user's input is held back by Qt
// (ExcludeUserInputEvents) and every other path into a handler waits at the handler gate, so no
// handler runs inside an empty and all keep their order. A whole walk over the
// drives goes to the worker too: querying a large trash takes long as well.

//
// A measure of the bins runs on a worker thread of its own and the window does not wait for
// it: its result is handed to the caller later, on the user-interface thread, through the
// handler gate like any other way into a handler.

#include <QObject>
#include <memory>
#include <thread>

#include "platform/shared/forwarding_recycle_bin_shell.h"

namespace tw::qt_platform {

class BackgroundEmptyShell final : public ForwardingRecycleBinShell {
  public:
    explicit BackgroundEmptyShell(RecycleBinShell& shell);
    // Waits for a measure still running; its result is dropped.
    ~BackgroundEmptyShell() override;

    // Returns once the wrapped shell's empty has ended, with its result (or its exception).
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath, std::uint32_t flags,
                                 const EmptyOrder& order, EmptyReport& report) override;
    // The same for the list of drives, their queries and their empties together.
    void walkDrives(const std::function<void(RecycleBinShell&)>& walk) override;
    // The wrapped shell's measure on a worker; `done` runs from the event loop on this thread,
    // never inside another handler or an empty (see qt_handler_gate.h), and not at all once the
    // event loop has ended or this shell is gone.
    void measureBinsLater(std::int64_t keepSeconds,
                          std::function<void(const TrashMeasure&)> done) override;

  private:
    // Receives the results on the user-interface thread; destroyed with the shell, which drops
    // any still on their way.
    std::unique_ptr<QObject> receiver_;
    bool loopEnded_ = false;  // read and written on the user-interface thread only
    std::thread measurer_;
};

}  // namespace tw::qt_platform
