#pragma once

// Reading .trashinfo records: where an item was deleted from and when. An empty with an age
// floor reads every record, so a record is read with one openat and one read into a buffer
// that is reused from record to record.

#include <sys/stat.h>

#include <string>
#include <string_view>

namespace tw::linux_platform {

class TrashInfoReader {
  public:
    // Reads the record `name` of the directory `infoFd`, and its status into `status` when
    // given. False when it can't be opened or read (or is larger than any record a trashing
    // program writes); no values and no status then.
    bool read(int infoFd, const char* name, struct stat* status = nullptr);

    // The value of `key` in the record's [Trash Info] group, as written; empty when absent.
    std::string_view value(std::string_view key) const;

  private:
    std::string buffer_;
    std::size_t size_ = 0;
};

// The original path a record's Path value names: percent-decoded, and a relative one taken
// from `topDirectory` (the directory the trash serves).
std::string originalPath(std::string_view pathValue, std::string_view topDirectory);

// The directory that the trash directory `trashPath` serves: the top directory of its mount
// for $topdir/.Trash-$uid and $topdir/.Trash/$uid, the directory holding it for the home trash.
std::string trashTopDirectory(std::string_view trashPath);

}  // namespace tw::linux_platform
