#pragma once

// Ending the program: the thread's windows go out of sight and WM_QUIT ends the message loop
// with the code.

#include "platform/services/lifetime.h"

namespace tw::win32_platform {

class Win32Lifetime : public HostLifetime {
  protected:
    void endHost(int exitCode) override;
};

}  // namespace tw::win32_platform
