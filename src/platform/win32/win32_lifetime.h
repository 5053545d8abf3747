#pragma once

// Ending the program: its windows go out of sight and the message loop ends with the code.

#include "platform/lifetime.h"

namespace tw::win32_platform {

class Win32Lifetime : public Lifetime {
  public:
    // Hides the thread's windows (hiding asks nothing of the close handler, closing would)
    // and posts WM_QUIT. Called before the loop runs (a second copy), WinMain must not enter
    // it: see ended().
    void endProgram(int exitCode) override;
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }

  private:
    bool ended_ = false;
    int exitCode_ = 0;
};

}  // namespace tw::win32_platform
