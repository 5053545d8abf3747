#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tw::linux_platform {

// One directory's entries packed into a single string: per entry its d_type byte, the name
// and a NUL. One allocation for a whole directory instead of one per name; "." and ".." are
// left out.
struct DirEntry {
    unsigned char type = 0;  // DT_* (DT_UNKNOWN when the file system does not say)
    const char* name = nullptr;
    std::string_view view() const { return name; }
};

class PackedEntries {
  public:
    std::string& buffer() { return packed_; }
    bool empty() const { return packed_.empty(); }
    // Hands out the next entry; false at the end.
    bool next(DirEntry& entry);
    void rewind() { cursor_ = 0; }

  private:
    std::string packed_;
    std::size_t cursor_ = 0;
};

// Reads every entry of the directory `dirFd` (from its start) into `out`. Returns 0 or the
// errno of the failing read.
int listDirectory(int dirFd, PackedEntries& out);

}  // namespace tw::linux_platform
