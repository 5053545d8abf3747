#pragma once

// Directory listings for the Trash code. A trash can hold hundreds of thousands of entries, so
// one folder's names are read with getdents64 into one packed block instead of one allocation
// per name, and can be taken in inode order, which keeps a large removal from seeking about.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::linux_platform {

// One directory's entries packed into a single arena: per entry its inode number, d_type
// byte, a mark byte for the caller, the name and a NUL. One allocation for a whole directory
// instead of one per name; "." and ".." are left out.
struct DirEntry {
    ino_t ino = 0;
    unsigned char type = 0;  // DT_* (DT_UNKNOWN when the file system does not say)
    const char* name = nullptr;
    std::size_t at = 0;  // where the entry lies in its arena, for mark()
    std::string_view view() const { return name; }
};

class PackedEntries {
  public:
    std::string& buffer() { return packed_; }
    bool empty() const { return packed_.empty(); }
    std::size_t count() const { return count_; }
    // Hands out the next entry, in listing order or, after sortByInode(), in inode order;
    // false at the end.
    bool next(DirEntry& entry);
    void rewind() { cursor_ = 0; }
    // The entry stored at `at` (from DirEntry::at).
    DirEntry at(std::size_t at) const;
    // A byte of the caller's per entry, 0 after listing.
    unsigned char mark(std::size_t at) const { return static_cast<unsigned char>(packed_[at + 9]); }
    void setMark(std::size_t at, unsigned char value) {
        packed_[at + 9] = static_cast<char>(value);
    }
    // The entry's type and inode number, when the caller learnt them better than the listing.
    void setIdentity(std::size_t at, unsigned char type, ino_t ino);
    // From now on next() hands out the entries in ascending inode order: a large directory's
    // entries are then removed with fewer seeks, as rm -rf does.
    void sortByInode();

    void clear();
    void append(ino_t ino, unsigned char type, const char* name, std::size_t length);

  private:
    std::string packed_;
    std::vector<std::uint32_t> order_;  // arena offsets in inode order; empty: listing order
    std::size_t cursor_ = 0;
    std::size_t count_ = 0;
};

// Reads every entry of the directory `dirFd` (from its start) into `out`, with getdents64 and
// nothing else per entry. Returns 0 or the errno of the failing read.
int listDirectory(int dirFd, PackedEntries& out);

// The same, a batch at a time for callers that need no listing of the whole directory: `batch`
// holds the entries of one read (or of as many reads as fill `batchBytes` of names) when
// `onBatch` is called, and is reused for the next. `onBatch` may remove entries of the
// directory: as with readdir, an entry left in place is handed out once, one added or removed
// meanwhile may or may not be (one renamed may come twice).
int listDirectoryInBatches(int dirFd, PackedEntries& batch,
                           const std::function<void(PackedEntries&)>& onBatch,
                           std::size_t batchBytes = 0);

// The names of a directory as listed at one moment, each held as a 62-bit fingerprint with two
// flags for the caller: 8 bytes a name whatever its length, so a million names take 8 MB.
// A name not listed is taken for a listed one only when their fingerprints collide, about one
// chance in 2^62 / size() for each name asked about: whoever relies on find() must not rest a
// removal on it alone.
class ListedNames {
  public:
    ListedNames() = default;
    ListedNames(ListedNames&& other) noexcept;
    ListedNames& operator=(ListedNames&& other) noexcept;
    ~ListedNames();

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    static constexpr std::uint64_t kFlagA = std::uint64_t{1} << 63;
    static constexpr std::uint64_t kFlagB = std::uint64_t{1} << 62;

    // While listing: adds a name. Then seal() once, before find().
    void add(std::string_view name);
    void seal();
    std::size_t size() const { return size_; }
    // Where `name` is held, or npos.
    std::size_t find(std::string_view name) const;
    bool flag(std::size_t at, std::uint64_t flag) const { return (keys_[at] & flag) != 0; }
    void setFlag(std::size_t at, std::uint64_t flag) { keys_[at] |= flag; }

  private:
    static constexpr std::uint64_t kFingerprint = kFlagB - 1;
    static constexpr int kFingerprintBits = 62;
    void grow();

    // Pages of their own, grown by remapping them: growing never copies the keys, nor leaves
    // a freed copy resident in the heap, so a listing costs its 8 bytes a name and no more.
    std::uint64_t* keys_ = nullptr;  // sorted by fingerprint once sealed
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    // Fingerprints are even spread: where each range of them begins (about eight names a
    // range, half a byte a name) takes a look-up straight to its cache line or two.
    std::vector<std::uint32_t> ranges_;
    int rangeShift_ = kFingerprintBits;
};

// Whether removing in inode order can pay off for the directory `dirFd` holding `entries`:
// large directories on disk file systems (not tmpfs, where there is nothing to seek).
bool inodeOrderHelps(int dirFd, std::size_t entries);

}  // namespace tw::linux_platform
