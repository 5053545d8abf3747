#pragma once

// The journal as a file of bounded size, shared by both hosts. When a block would take the
// file past its bound, the file becomes the one old file (replacing the older one) and a new
// file begins. The current file is renamed, never deleted, so a rotation can't lose what was
// written; nothing but the blocks handed in is ever written (never a file's contents). Both
// files are opened the one way of own_file.h: what is not ours at either path is left alone.

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/services/journal.h"
#include "platform/shared/own_file.h"

namespace tw {

class JournalFile : public Journal {
  public:
    static constexpr std::uintmax_t kBound = 1024 * 1024;

    // `file` empty: there is nowhere to keep a journal (no home folder), which every append
    // reports.
    JournalFile(std::filesystem::path file, OwnFiles& files, std::uintmax_t bound = kBound);

    // Creates the file's folder as needed. A block that fails half-way is cut off again, so
    // the next one starts on a line of its own.
    std::string append(const std::string& block) override;
    std::string replaceLast(const std::string& block) override;
    std::string location() const override { return file_.string(); }

    const std::filesystem::path& file() const { return file_; }
    // Where the previous file goes: the file's name with ".1" added.
    std::filesystem::path oldFile() const;

  private:
    std::string write(const std::string& block, bool replacing);
    // Why the file could not be moved aside, or nothing.
    std::string rotate();

    std::filesystem::path file_;
    OwnFiles& files_;
    std::uintmax_t bound_;
    // Where the last block written by this object lies in the file, while it is the file's end.
    bool lastKnown_ = false;
    std::uint64_t lastStart_ = 0;
    std::uint64_t lastEnd_ = 0;
};

}  // namespace tw
