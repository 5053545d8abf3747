#pragma once

// Ending the program: no window shows any more and the event loop returns the exit code.

#include "platform/lifetime.h"

namespace tw::qt_platform {

class QtLifetime : public Lifetime {
  public:
    // Hides every window and leaves the event loop. Called before the loop runs (a second
    // copy), main() must not enter it: see ended().
    void endProgram(int exitCode) override;
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }

  private:
    bool ended_ = false;
    int exitCode_ = 0;
};

}  // namespace tw::qt_platform
