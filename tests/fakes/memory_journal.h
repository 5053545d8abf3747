#pragma once

#include <string>
#include <vector>

#include "platform/services/journal.h"

namespace tw::test {

// Keeps the blocks; with `trouble` set, keeps nothing and answers with it.
class MemoryJournal : public Journal {
  public:
    std::string append(const std::string& block) override {
        ++appends;
        if (trouble.empty()) blocks.push_back(block);
        return trouble;
    }
    std::string replaceLast(const std::string& block) override {
        if (!blocks.empty() && trouble.empty()) blocks.pop_back();
        return append(block);
    }
    std::string location() const override { return where; }
    std::vector<std::string> blocks;
    std::string where = "/home/ann/.local/state/tidewell/journal.log";
    std::string trouble;
    int appends = 0;
};

}  // namespace tw::test
