#pragma once

// The recycle-bin shell as the window host offers it: the empty of the bins, which can take
// minutes for a large trash, runs on a worker thread while the user-interface thread goes on
// painting (the status line and the busy pointer show at once) and answering the desktop, so
// that it is never offered to be killed as a program that stopped responding. The caller still
// waits for the result exactly as for a blocking call: the user's input is held back by Qt
// (ExcludeUserInputEvents) and every other path into a handler waits at the handler gate, so no
// handler runs inside an empty and all keep their order. A whole walk over the
// drives goes to the worker too: querying a large trash takes long as well.

#include "platform/shared/forwarding_recycle_bin_shell.h"

namespace tw::qt_platform {

class BackgroundEmptyShell final : public ForwardingRecycleBinShell {
  public:
    using ForwardingRecycleBinShell::ForwardingRecycleBinShell;

    // Returns once the wrapped shell's empty has ended, with its result (or its exception).
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath, std::uint32_t flags,
                                 const EmptyOrder& order, EmptyReport& report) override;
    // The same for the list of drives, their queries and their empties together.
    void walkDrives(const std::function<void(RecycleBinShell&)>& walk) override;
};

}  // namespace tw::qt_platform
