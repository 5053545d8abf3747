#pragma once

#include "platform/clock.h"

namespace tw::linux_platform {

class LinuxClock : public Clock {
  public:
    LocalDateTime now() const override;
    double monotonicSeconds() const override;
    double bootSeconds() const override;
};

}  // namespace tw::linux_platform
