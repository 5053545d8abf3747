#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/services/empty_report.h"
#include "platform/services/trash_measure.h"
#include "platform/services/window_handle.h"

namespace tw {

enum class DriveType : std::uint32_t {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// The shell's recycle-bin query record: 20 bytes, no padding, each 64-bit counter stored as
// its low then its high 32-bit half.
#pragma pack(push, 1)
struct RecycleBinQuery {
    std::uint32_t cbSize = 0;
    std::int32_t sizeLow = 0;
    std::int32_t sizeHigh = 0;
    std::int32_t itemsLow = 0;
    std::int32_t itemsHigh = 0;
};
#pragma pack(pop)
static_assert(sizeof(RecycleBinQuery) == 20);

// Empty flags: no confirmation, no progress window, no sound.
inline constexpr std::uint32_t kEmptyNoConfirmation = 1;
inline constexpr std::uint32_t kEmptyNoProgressUi = 2;
inline constexpr std::uint32_t kEmptyNoSound = 4;

// Success and failure codes of the shell calls.
inline constexpr std::int32_t kShellOk = 0;
inline constexpr std::int32_t kShellFail = static_cast<std::int32_t>(0x80004005u);

class RecycleBinShell {
  public:
    virtual ~RecycleBinShell() = default;
    // Writes the drive list into `buffer` (each root path NUL-terminated, the whole list ended
    // by a second NUL) and returns the characters written, not counting the final NUL. When
    // `bufferLength` is too small nothing is written and the length needed, final NUL
    // included, is returned.
    virtual std::uint32_t getLogicalDriveStrings(std::uint32_t bufferLength, char* buffer) = 0;
    virtual DriveType getDriveType(const std::string& rootPath) = 0;
    // Counts the items in the bin of the drive `rootPath`. The byte count is the host shell's
    // own where it keeps one (Windows) and 0 where it does not (Linux); the core reads only
    // the items.
    virtual std::int32_t queryRecycleBin(const std::string& rootPath, RecycleBinQuery& query) = 0;
    // Empties the bin of `rootPath`, or every bin of every drive when it is null, keeping
    // what `order` keeps, and tells in `report` (appended to) what went and what stayed. Each
    // call lists the bins anew: the core empties every bin once per drive walk.
    // Returns kShellOk only when everything that was in the bins went or was kept on purpose.
    virtual std::int32_t emptyRecycleBin(WindowHandle owner, const char* rootPath,
                                         std::uint32_t flags, const EmptyOrder& order,
                                         EmptyReport& report) = 0;
    virtual void updateRecycleBinIcon() = 0;
    // Measures the bins of every fixed drive now, as an empty keeping what was deleted in the
    // last `keepSeconds` would find them (see TrashMeasure). Reads only; slow for a large bin.
    virtual TrashMeasure measureBins(std::int64_t keepSeconds) = 0;
    // Measures away from the window's thread and returns at once; `done` runs later on the
    // window's thread, as a handler does (never inside another handler or an empty), with the
    // result. The caller asks for one measure at a time. `done` never runs once the program's
    // event loop has ended. The base measures in place and calls `done` before returning.
    virtual void measureBinsLater(std::int64_t keepSeconds,
                                  std::function<void(const TrashMeasure&)> done) {
        done(measureBins(keepSeconds));
    }
    // Runs a whole walk over the drives (the list, each drive's query and empty) and returns
    // when it has ended. A window host runs it away from the window's thread, since a large
    // bin takes long to query as well as to empty; `walk` is handed the shell to call meanwhile.
    virtual void walkDrives(const std::function<void(RecycleBinShell&)>& walk) { walk(*this); }
};

}  // namespace tw
