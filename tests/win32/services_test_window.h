#pragma once

// A real top-level window for the host tests, with a procedure of its own that counts what
// reaches it, so a test can tell what a subclass passed on.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win32/win32_api.h"

namespace tw::win32_test {

class TestWindow {
  public:
    // The value the window's own procedure answers to kProbeMessage.
    static constexpr LRESULT kOwnAnswer = 4242;
    static constexpr UINT kProbeMessage = WM_APP + 7;

    explicit TestWindow(const char* title = "Tidewell test window", bool visible = false);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Messages with this number that reached the window's own procedure, and the last one's
    // parameters.
    int seen(UINT message) const;
    LPARAM lastLParam(UINT message) const;
    WPARAM lastWParam(UINT message) const;
    static WNDPROC ownProcedure();

  private:
    HWND hwnd_ = nullptr;
};

// Runs `find` on a helper thread every 50 ms until it returns true or `seconds` pass; used to
// find and answer a modal box that the test thread is blocked in.
class Helper {
  public:
    Helper(std::function<bool()> find, double seconds = 20.0);
    ~Helper();  // joins
    bool succeeded() const { return succeeded_; }

  private:
    static DWORD WINAPI run(void* self);
    std::function<bool()> find_;
    DWORD timeoutMs_;
    HANDLE thread_ = nullptr;
    volatile bool succeeded_ = false;
};

// The thread's top-level window of class `className` with this title, or null.
HWND findThreadWindow(DWORD threadId, const char* className, const std::string& title);

}  // namespace tw::win32_test
