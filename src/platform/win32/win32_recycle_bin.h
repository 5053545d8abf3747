#pragma once

// The Recycle Bin through the Windows shell.

#include "platform/recycle_bin_shell.h"
#include "platform/win32/win32_window_table.h"

namespace tw::win32_platform {

class Win32RecycleBinShell : public RecycleBinShell {
  public:
    explicit Win32RecycleBinShell(const Win32WindowTable& windows) : windows_(windows) {}

    std::uint32_t getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) override;
    DriveType getDriveType(const std::string& rootPath) override;
    std::int32_t queryRecycleBin(const std::string& rootPath, RecycleBinQuery& query) override;
    // SHEmptyRecycleBinA, owned by the real window behind `owner`. Its success is checked
    // against the bins themselves: kShellFail when items are still left in them.
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath,
                                 std::uint32_t flags) override;
    void updateRecycleBinIcon() override;

  private:
    const Win32WindowTable& windows_;
};

}  // namespace tw::win32_platform
