#include "platform/linux/dir_entries.h"

#include <dirent.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

namespace tw::linux_platform {

namespace {

constexpr std::size_t kHeader = sizeof(std::uint64_t) + 2;  // inode, type, mark
// Below this many entries the order costs more than it saves (the threshold rm -rf uses).
constexpr std::size_t kInodeSortThreshold = 10000;
constexpr long kTmpfsMagic = 0x01021994;

std::uint64_t inodeAt(const std::string& packed, std::size_t at) {
    std::uint64_t ino;
    std::memcpy(&ino, packed.data() + at, sizeof ino);
    return ino;
}

}  // namespace

bool PackedEntries::next(DirEntry& entry) {
    std::size_t at;
    if (!order_.empty()) {
        if (cursor_ >= order_.size()) return false;
        at = order_[cursor_++];
        entry = this->at(at);
        return true;
    }
    if (cursor_ >= packed_.size()) return false;
    entry = this->at(cursor_);
    cursor_ = entry.at + kHeader + std::strlen(entry.name) + 1;
    return true;
}

DirEntry PackedEntries::at(std::size_t at) const {
    DirEntry entry;
    entry.at = at;
    entry.ino = static_cast<ino_t>(inodeAt(packed_, at));
    entry.type = static_cast<unsigned char>(packed_[at + sizeof(std::uint64_t)]);
    entry.name = packed_.data() + at + kHeader;
    return entry;
}

void PackedEntries::setIdentity(std::size_t at, unsigned char type, ino_t ino) {
    const std::uint64_t value = ino;
    std::memcpy(packed_.data() + at, &value, sizeof value);
    packed_[at + sizeof value] = static_cast<char>(type);
}

void PackedEntries::sortByInode() {
    if (packed_.size() > UINT32_MAX) return;  // offsets would not fit; keep the listing order
    order_.clear();
    order_.reserve(count_);
    for (std::size_t at = 0; at < packed_.size();) {
        order_.push_back(static_cast<std::uint32_t>(at));
        at += kHeader + std::strlen(packed_.data() + at + kHeader) + 1;
    }
    std::sort(order_.begin(), order_.end(), [this](std::uint32_t a, std::uint32_t b) {
        return inodeAt(packed_, a) < inodeAt(packed_, b);
    });
    cursor_ = 0;
}

void PackedEntries::clear() {
    packed_.clear();
    order_.clear();
    cursor_ = 0;
    count_ = 0;
}

void PackedEntries::append(ino_t ino, unsigned char type, const char* name, std::size_t length) {
    const std::uint64_t value = ino;
    char header[kHeader];
    std::memcpy(header, &value, sizeof value);
    header[sizeof value] = static_cast<char>(type);
    header[sizeof value + 1] = 0;
    packed_.append(header, kHeader);
    packed_.append(name, length + 1);
    ++count_;
}

namespace {

// Reads the entries of `dirFd` into `out`: all of them, or one read's worth per `onBatch`.
int readEntries(int dirFd, PackedEntries& out, const std::function<void(PackedEntries&)>* onBatch,
                std::size_t batchBytes = 0) {
    out.clear();
    if (::lseek(dirFd, 0, SEEK_SET) < 0) return errno;
    // A large buffer keeps the number of getdents calls low on big directories.
    alignas(dirent64) char buffer[64 * 1024];
    bool sized = onBatch != nullptr;
    // A batch ends with the entry that fills it: room for that one too, so it never regrows.
    if (batchBytes > 0) out.buffer().reserve(batchBytes + sizeof(std::uint64_t) + 2 + NAME_MAX);
    for (;;) {
        ssize_t got = ::getdents64(dirFd, buffer, sizeof buffer);
        if (got == 0) {
            if (onBatch && out.count() > 0) {
                (*onBatch)(out);
                out.clear();
            }
            return 0;
        }
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (!sized && static_cast<std::size_t>(got) > sizeof buffer / 2) {
            // A big directory: its size on disk is close to what its names take here, and
            // reserving that once spares the arena's copies while it grows.
            sized = true;
            struct stat st;
            if (::fstat(dirFd, &st) == 0 && st.st_size > 0 && st.st_size < (1 << 30)) {
                out.buffer().reserve(static_cast<std::size_t>(st.st_size));
            }
        }
        for (ssize_t at = 0; at < got;) {
            const auto* d = reinterpret_cast<const dirent64*>(buffer + at);
            at += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
            out.append(static_cast<ino_t>(d->d_ino), d->d_type, name, std::strlen(name));
            if (onBatch && batchBytes > 0 && out.buffer().size() >= batchBytes) {
                (*onBatch)(out);
                out.clear();
            }
        }
        if (onBatch && batchBytes == 0) {
            (*onBatch)(out);
            out.clear();
        }
    }
}

}  // namespace

int listDirectory(int dirFd, PackedEntries& out) {
    return readEntries(dirFd, out, nullptr);
}

int listDirectoryInBatches(int dirFd, PackedEntries& batch,
                           const std::function<void(PackedEntries&)>& onBatch,
                           std::size_t batchBytes) {
    return readEntries(dirFd, batch, &onBatch, batchBytes);
}

ListedNames::ListedNames(ListedNames&& other) noexcept
    : keys_(std::exchange(other.keys_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ListedNames& ListedNames::operator=(ListedNames&& other) noexcept {
    std::swap(keys_, other.keys_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    return *this;
}

ListedNames::~ListedNames() {
    if (keys_) ::munmap(keys_, capacity_ * sizeof *keys_);
}

void ListedNames::grow() {
    const std::size_t bytes = capacity_ * sizeof *keys_;
    const std::size_t grown = std::max<std::size_t>(1 << 16, 2 * bytes);
    void* at =
        keys_ ? ::mremap(keys_, bytes, grown, MREMAP_MAYMOVE)
              : ::mmap(nullptr, grown, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED) throw std::bad_alloc();
    keys_ = static_cast<std::uint64_t*>(at);
    capacity_ = grown / sizeof *keys_;
}

void ListedNames::add(std::string_view name) {
    if (size_ == capacity_) grow();
    keys_[size_++] = std::hash<std::string_view>{}(name)&kFingerprint;
}

void ListedNames::seal() {
    std::sort(keys_, keys_ + size_);
    ranges_.clear();
    if (size_ >= UINT32_MAX) return;  // offsets would not fit: a plain binary search then
    int bits = 0;
    while (bits < 30 && (std::size_t{8} << bits) < size_) ++bits;
    rangeShift_ = kFingerprintBits - bits;
    ranges_.resize((std::size_t{1} << bits) + 1);
    std::size_t at = 0;
    for (std::size_t range = 0; range < ranges_.size(); ++range) {
        while (at < size_ && ((keys_[at] & kFingerprint) >> rangeShift_) < range) ++at;
        ranges_[range] = static_cast<std::uint32_t>(at);
    }
}

std::size_t ListedNames::find(std::string_view name) const {
    const std::uint64_t key = std::hash<std::string_view>{}(name)&kFingerprint;
    const std::uint64_t* begin = keys_;
    const std::uint64_t* from = begin;
    const std::uint64_t* to = begin + size_;
    if (!ranges_.empty()) {
        from = begin + ranges_[key >> rangeShift_];
        to = begin + ranges_[(key >> rangeShift_) + 1];
    }
    const std::uint64_t* found = std::lower_bound(
        from, to, key,
        [](std::uint64_t held, std::uint64_t wanted) { return (held & kFingerprint) < wanted; });
    if (found == to || (*found & kFingerprint) != key) return npos;
    return static_cast<std::size_t>(found - begin);
}

bool inodeOrderHelps(int dirFd, std::size_t entries) {
    if (entries < kInodeSortThreshold) return false;
    struct statfs fs;
    return ::fstatfs(dirFd, &fs) != 0 || fs.f_type != kTmpfsMagic;
}

}  // namespace tw::linux_platform
