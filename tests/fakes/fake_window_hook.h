#pragma once

// The Linux window table with a log of the calls made on it, for the tray tests.

#include <string>
#include <vector>

#include "platform/shared/window_table.h"

namespace tw::test {

class FakeWindowHook : public WindowTable {
  public:
    WindowProc setWindowProc(WindowHandle window, WindowProc proc) override {
        note("setWindowProc " + std::to_string(window));
        return WindowTable::setWindowProc(window, proc);
    }
    void setUserData(WindowHandle window, std::intptr_t value) override {
        note("setUserData " + std::to_string(window));
        WindowTable::setUserData(window, value);
    }

    std::vector<std::string>* log = nullptr;

  private:
    void note(std::string entry) {
        if (log) log->push_back(std::move(entry));
    }
};

}  // namespace tw::test
