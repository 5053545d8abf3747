#pragma once

// The layout of one trash directory of the freedesktop.org Trash standard, and what its items
// are. Counting, emptying and the directory checks all go by these definitions, so that a
// count never promises what an empty would not remove, nor the reverse.
//
//   files/      the trashed items, one top-level entry each
//   info/       one <item>.trashinfo record per item, written before the item is moved in
//   expunged/   folders on their way out: moved here (same file system, so atomically) before
//               their contents are removed; what is left here is removed by the next empty
//   directorysizes  a cache of folder sizes (directory_sizes.h); an empty keeps the lines of
//               the folders it leaves

#include <fcntl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/dir_entries.h"

namespace tw::linux_platform {

inline constexpr const char* kTrashFiles = "files";
inline constexpr const char* kTrashInfo = "info";
inline constexpr const char* kTrashExpunged = "expunged";
inline constexpr const char* kTrashDirectorySizes = "directorysizes";
inline constexpr std::string_view kTrashInfoSuffix = ".trashinfo";

// Every directory of and in a trash is opened this way: never through a symbolic link.
inline constexpr int kTrashDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A .trashinfo record: an entry of info/ that is not a directory and whose name ends in
// ".trashinfo". Anything else in info/ (a record being written, say) is not ours to judge.
bool isTrashInfoRecord(const DirEntry& entry);

// Gives the user read, write and search permission on the directory `name` of `parentFd`
// when it is a real directory of the user's own. True when it did.
bool grantOwnerAccess(int parentFd, const char* name);

// Opens the directory `name` of `parentFd` with kTrashDirFlags. A directory of the user's own
// that the user may not read or search gets u+rwx first, as folders in the trash do: a trash
// the user has locked out is still the user's trash. -1 with errno when it can't be opened.
int openOwnDirectory(int parentFd, const char* name);

// The items of one trash directory as listed at one moment: each top-level entry of files/,
// and each .trashinfo record of info/ whose item is not among them (an orphan). Built from the
// two listings without a system call; names stay in the listings' arenas.
class TrashItems {
  public:
    // Indexes the records of `info` and marks each of its entries with what it is (the k*
    // marks below); rewinds it. `info` must outlive this object and keep its contents.
    explicit TrashItems(PackedEntries& info);
    // Counts the entries of `files` (all of files/, or one batch of it at a time) as items and
    // marks the records they have; rewinds it.
    void addItems(PackedEntries& files);

    static constexpr unsigned char kNotARecord = 0;
    static constexpr unsigned char kOrphan = 1;
    static constexpr unsigned char kRecordOfAnItem = 2;

    std::int64_t count() const { return filesCount_ + orphans_; }
    // The arena offset in `info` of the record of the item `item`, or npos.
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    std::size_t recordOf(std::string_view item) const;

  private:
    // A slot: the record's hash in the high half (compared before any name), 1 + its arena
    // offset in the low half; 0 when free.
    static constexpr std::uint64_t kFingerprint = 0xFFFFFFFF00000000u;
    std::size_t find(std::string_view item, std::uint64_t hash) const;
    // The first record whose fingerprint is that of `hash`, or npos.
    std::size_t candidate(std::uint64_t hash) const;
    bool matches(std::size_t record, std::string_view item) const;

    PackedEntries& info_;
    std::vector<std::uint64_t> slots_;
    std::size_t mask_ = 0;
    std::int64_t filesCount_ = 0;
    std::int64_t orphans_ = 0;
};

}  // namespace tw::linux_platform
