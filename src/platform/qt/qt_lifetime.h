#pragma once

// Ending the program: no window shows any more and the event loop returns the exit code.

#include "platform/services/lifetime.h"

namespace tw::qt_platform {

class QtLifetime : public HostLifetime {
  protected:
    void endHost(int exitCode) override;
};

}  // namespace tw::qt_platform
