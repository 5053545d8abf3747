#pragma once

#include "platform/services/clock.h"

namespace tw::win32_platform {

class Win32Clock : public Clock {
  public:
    Win32Clock();
    LocalDateTime now() const override;
    // The performance counter: fine-grained, never set back.
    double monotonicSeconds() const override;
    // Milliseconds since the system started, sleep and hibernation included.
    double bootSeconds() const override;

  private:
    double counterFrequency_ = 1.0;
};

}  // namespace tw::win32_platform
