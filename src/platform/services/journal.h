#pragma once

#include <string>

namespace tw {

// The record of every empty, kept where the user can read it after the fact.
class Journal {
  public:
    virtual ~Journal() = default;
    // Adds one block of UTF-8 text, whole lines, at the end. Returns why it could not, or
    // nothing when it was written; the caller decides how to tell the user.
    virtual std::string append(const std::string& block) = 0;
    // As append, but in place of the block the last append or replaceLast of this object
    // wrote, when that is still the end of the journal; otherwise appended.
    virtual std::string replaceLast(const std::string& block) = 0;
    // Where the user finds it; empty when there is nowhere to keep it.
    virtual std::string location() const = 0;
};

}  // namespace tw
