#pragma once

// How much a trash item takes, and when it was deleted, as the size limit and the measure of
// the bins read them. A file takes its allocated blocks; a folder what its whole tree takes,
// from the trash's `directorysizes` cache where its line still matches, else walked once and
// added there, so that a large folder is walked once, not at every look.

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/linux/directory_sizes.h"
#include "platform/linux/empty_start.h"
#include "platform/linux/trash_remove.h"
#include "platform/services/trash_measure.h"

namespace tw::linux_platform {

// What the file system would get back for a file: its allocated blocks.
inline std::uint64_t allocatedBytes(const struct stat& st) {
    return static_cast<std::uint64_t>(st.st_blocks) * 512;
}

// FAT and exFAT keep no change time: what reads as one is the contents' modification time
// (through FUSE too, where the file system can't be told), so it can't tell when an item was
// moved in.
bool changeTimesTell(int fd);

// When an item was deleted (ns since the epoch), as the age floor reads it: the later of its
// record's DeletionDate (`date`, the lowest value when unreadable) and when the record was
// written. Nothing without the record's status: then its age can't be told.
std::optional<std::int64_t> deletionMoment(std::int64_t date, const struct stat* record);

struct TreeBytes {
    std::uint64_t bytes = 0;
    bool complete = true;  // false when part of the tree could not be read
};

// The allocated blocks of the folder `name` of `parentFd` and of everything below it, walked
// with descriptors: no link followed, nothing outside `scope`'s mount counted, a file of
// several names counted once.
TreeBytes measureTree(int parentFd, const char* name, const RemoveScope& scope);

// The folder sizes of one trash directory: its cache, and what an earlier look remembered
// where the cache is not ours to write.
class FolderSizes {
  public:
    // `remembered` (may be null) holds the lines of an earlier look at this trash.
    FolderSizes(int trashFd, const RemoveScope& scope, const DirectorySizes* remembered);

    // The size of the folder `name` of `filesFd`, whose record was written at `recordMtime`
    // (whole seconds; nothing without a record): from a matching line, else measured, and
    // then added to the cache.
    std::uint64_t folderBytes(int filesFd, const char* name,
                              std::optional<std::int64_t> recordMtime);

    // Writes what was added to the cache. Where the cache is not ours, the lines this look
    // used are kept in `used`, for the next. Returns why the cache is not ours or could not be
    // written, or a folder could not be measured whole; empty when all went well.
    std::string finish(int trashFd, DirectorySizes* used);

  private:
    RemoveScope scope_;
    DirectorySizes cache_;
    const DirectorySizes* remembered_;
    DirectorySizes used_;
    std::string incomplete_;  // the first folder that could not be measured whole
};

// Adds the items of the trash directory `trashFd` (shown as `trashPath`) to `out`, each sized
// and, with a floor of `keepSeconds`, dated as the size limit dates it: by its record alone,
// an item without one of unknown age. Folder sizes come from the cache or `remembered` (an
// earlier measure's, may be null); those used go into `used`. Reads only, but the cache: an
// item gone or come meanwhile (an empty may be running) is counted or not, never an error.
void measureTrashDirectory(int trashFd, const std::string& trashPath, std::int64_t keepSeconds,
                           const EmptyStart& start, const DirectorySizes* remembered,
                           DirectorySizes& used, TrashMeasure& out);

// The largest size anything on the file system of `fd` can have.
std::uint64_t fileSystemBytes(int fd);

}  // namespace tw::linux_platform
