#include "platform/linux/dir_entries.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

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

void ListedNames::add(std::string_view name) {
    constexpr std::size_t kBlock = 1 << 16;
    if (blocks_.empty() || blocks_.back().size() == kBlock) {
        blocks_.emplace_back();
        blocks_.back().reserve(kBlock);
    }
    blocks_.back().push_back(std::hash<std::string_view>{}(name)&kFingerprint);
}

void ListedNames::seal() {
    std::size_t total = keys_.size();
    for (const auto& block : blocks_) total += block.size();
    keys_.reserve(total);
    for (auto& block : blocks_) {
        keys_.insert(keys_.end(), block.begin(), block.end());
        std::vector<std::uint64_t>().swap(block);
    }
    blocks_.clear();
    std::sort(keys_.begin(), keys_.end());
}

std::size_t ListedNames::find(std::string_view name) const {
    const std::uint64_t key = std::hash<std::string_view>{}(name)&kFingerprint;
    const auto found = std::lower_bound(
        keys_.begin(), keys_.end(), key,
        [](std::uint64_t held, std::uint64_t wanted) { return (held & kFingerprint) < wanted; });
    if (found == keys_.end() || (*found & kFingerprint) != key) return npos;
    return static_cast<std::size_t>(found - keys_.begin());
}

bool inodeOrderHelps(int dirFd, std::size_t entries) {
    if (entries < kInodeSortThreshold) return false;
    struct statfs fs;
    return ::fstatfs(dirFd, &fs) != 0 || fs.f_type != kTmpfsMagic;
}

}  // namespace tw::linux_platform
