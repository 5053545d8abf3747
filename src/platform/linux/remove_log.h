#pragma once

// What an empty could not remove. An empty carries on past an item it can't remove, and the
// user still has to learn what stayed and why, so the failures are kept as a bounded number of
// readable lines.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/printable_text.h"

namespace tw::linux_platform {

// What an empty could not remove, or kept on purpose. Paths are bytes; the lines are printable
// (control bytes and invalid UTF-8 escaped) so that a hostile name can't forge log lines.
class RemoveLog {
  public:
    static constexpr std::size_t kMaxLines = 200;

    void failure(std::string_view path, int error);
    void note(std::string_view path, std::string_view what);

    std::size_t count() const { return count_; }
    // The first kMaxLines problems, one line each.
    const std::vector<std::string>& lines() const { return lines_; }
    // Of those, the failures (not the notes of what was left alone on purpose), and how many
    // failures there were in all.
    const std::vector<std::string>& failureLines() const { return failureLines_; }
    std::size_t failures() const { return failures_; }

  private:
    void add(std::string line);
    std::size_t count_ = 0;
    std::vector<std::string> lines_;
    std::size_t failures_ = 0;
    std::vector<std::string> failureLines_;
};

using tw::printable;

}  // namespace tw::linux_platform
