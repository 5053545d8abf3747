#pragma once

// The journal as a file of bounded size, shared by both hosts. When a block would take the
// file past its bound, the file becomes the one old file (replacing the older one) and a new
// file begins. The current file is renamed, never deleted, so a rotation can't lose what was
// written; nothing but the blocks handed in is ever written (never a file's contents).

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/services/journal.h"

namespace tw {

class JournalFile : public Journal {
  public:
    static constexpr std::uintmax_t kBound = 1024 * 1024;

    // `file` empty: there is nowhere to keep a journal (no home folder), which every append
    // reports.
    explicit JournalFile(std::filesystem::path file, std::uintmax_t bound = kBound);

    // Creates the file's folder as needed. A block that fails half-way is cut off again, so
    // the next one starts on a line of its own.
    std::string append(const std::string& block) override;

    const std::filesystem::path& file() const { return file_; }
    // Where the previous file goes: the file's name with ".1" added.
    std::filesystem::path oldFile() const;

  private:
    std::string write(const std::string& block);
    // Why the file could not be moved aside, or nothing.
    std::string rotate();

    std::filesystem::path file_;
    std::uintmax_t bound_;
};

}  // namespace tw
