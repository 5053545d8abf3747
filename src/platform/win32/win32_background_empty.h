#pragma once

// The recycle-bin shell as the window host offers it: the empty of the bins, which can take
// minutes for a large bin, runs on a worker thread (with COM of its own, as the shell wants)
// while the user-interface thread goes on painting (the status line and the busy pointer show
// at once) and answering the system, so the window is never taken for one that stopped
// responding. The caller still waits for the result exactly as for a blocking call: the user's
// input stays in the thread's queue and every other way into a handler waits at the handler
// gate (win32_handler_gate.h), so no handler runs inside an empty and all keep their order.
// A whole walk over the drives goes to the worker too: querying a large bin takes long as well.

#include "platform/shared/forwarding_recycle_bin_shell.h"

namespace tw::win32_platform {

class Win32BackgroundEmptyShell final : public ForwardingRecycleBinShell {
  public:
    using ForwardingRecycleBinShell::ForwardingRecycleBinShell;

    // Returns once the wrapped shell's empty has ended, with its result (or its exception).
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath, std::uint32_t flags,
                                 const EmptyOrder& order, EmptyReport& report) override;
    // The same for the list of drives, their queries and their empties together.
    void walkDrives(const std::function<void(RecycleBinShell&)>& walk) override;
};

}  // namespace tw::win32_platform
