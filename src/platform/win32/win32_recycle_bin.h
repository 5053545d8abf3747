#pragma once

// The Recycle Bin through the Windows shell.

#include <functional>
#include <string>
#include <vector>

#include "platform/services/recycle_bin_shell.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_bin_records.h"
#include "platform/win32/win32_window_table.h"

// shellapi.h packs its records on 32-bit Windows; it must come after <windows.h>.
#include <shellapi.h>

namespace tw::win32_platform {

// The shell's calls; a test puts in a shell that misbehaves.
struct RecycleBinCalls {
    HRESULT(WINAPI* empty)(HWND, LPCSTR, DWORD) = &SHEmptyRecycleBinA;
    HRESULT(WINAPI* query)(LPCSTR, SHQUERYRBINFO*) = &SHQueryRecycleBinA;
    // Runs between the listing and the removal of each item a size limit takes: the moment a
    // restore or a new deletion can race it.
    std::function<void(const BinEntry&)> beforeRemoval;
};

class Win32RecycleBinShell : public RecycleBinShell {
  public:
    explicit Win32RecycleBinShell(const Win32WindowTable& windows, RecycleBinCalls calls = {})
        : windows_(windows), calls_(calls) {}

    std::uint32_t getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) override;
    DriveType getDriveType(const std::string& rootPath) override;
    std::int32_t queryRecycleBin(const std::string& rootPath, RecycleBinQuery& query) override;
    // With no age floor: SHEmptyRecycleBinA, owned by the real window behind `owner`. Its
    // success is checked against the bins themselves: kShellFail when items are still left in
    // them or they can't be counted.
    // With a floor: each fixed drive's bin loses the items deleted long enough before the empty
    // began, read from its records; a bin whose records can't be read is left whole.
    // With a size limit: the bins of every fixed drive together lose their oldest items down to
    // the limit, as win32_bin_size_limit.h tells; never through the shell's empty.
    std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath, std::uint32_t flags,
                                 const EmptyOrder& order, EmptyReport& report) override;
    void updateRecycleBinIcon() override;
    // Every fixed drive's bin, from its records (win32_bin_measure.h).
    TrashMeasure measureBins(std::int64_t keepSeconds) override;

  private:
    struct Count {
        std::int64_t items = -1;  // -1: the bin can't be counted
        std::int64_t bytes = 0;
    };
    Count countIn(const char* rootPath) const;
    std::int64_t itemsIn(const char* rootPath) const { return countIn(rootPath).items; }
    std::vector<std::string> drivesOf(const char* rootPath);
    // The bins of drivesOf(rootPath), each counted by the shell and listed with its records.
    std::vector<ListedBin> listBins(const char* rootPath);
    std::int32_t emptyWhole(WindowHandle owner, const char* rootPath, std::uint32_t flags,
                            EmptyReport& report);
    std::int32_t emptyOlderThan(const char* rootPath, std::int64_t keepSeconds,
                                EmptyReport& report);
    std::int32_t emptyDownTo(const char* rootPath, const EmptyOrder& order, EmptyReport& report);

    const Win32WindowTable& windows_;
    RecycleBinCalls calls_;
};

}  // namespace tw::win32_platform
