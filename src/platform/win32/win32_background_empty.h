#pragma once

// The recycle-bin shell as the window host offers it: the empty of the bins, which can take
// minutes for a large bin, runs on a worker thread (with COM of its own, as the shell wants)
// while the user-interface thread goes on painting (the status line and the busy pointer show
// at once) and answering the system, so the window is never taken for one that stopped
// responding. The caller still waits for the result exactly as for a blocking call: the user's
// input stays in the thread's queue and every other way into a handler waits at the handler
// gate (win32_handler_gate.h), so no handler runs inside an empty and all keep their order.
// The queries stay on the caller's thread: they are quick and share nothing with the empty.

#include "platform/recycle_bin_shell.h"

namespace tw::win32_platform {

class Win32BackgroundEmptyShell final : public RecycleBinShell {
  public:
    explicit Win32BackgroundEmptyShell(RecycleBinShell& shell) : shell_(shell) {}

    std::uint32_t getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) override {
        return shell_.getLogicalDriveStrings(bufferLength, buffer);
    }
    DriveType getDriveType(const std::string& rootPath) override {
        return shell_.getDriveType(rootPath);
    }
    std::int32_t queryRecycleBin(const std::string& rootPath, RecycleBinQuery& query) override {
        return shell_.queryRecycleBin(rootPath, query);
    }
    // Returns once the wrapped shell's empty has ended, with its result (or its exception).
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath,
                                 std::uint32_t flags) override;
    void updateRecycleBinIcon() override { shell_.updateRecycleBinIcon(); }

  private:
    RecycleBinShell& shell_;
};

}  // namespace tw::win32_platform
