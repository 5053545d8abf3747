#pragma once

// Runs the window events that are waiting, from inside a handler.

#include "platform/services/event_pump.h"

namespace tw::qt_platform {

class QtLifetime;

class QtEventPump : public EventPump {
  public:
    // With a lifetime, no event runs any more once the program has ended.
    explicit QtEventPump(const QtLifetime* lifetime = nullptr) : lifetime_(lifetime) {}
    void processEvents() override;
    // Sleeps between events (no busy waiting) until `seconds` have passed.
    void waitForEvents(double seconds) override;

  private:
    bool ended() const;
    const QtLifetime* lifetime_;
};

}  // namespace tw::qt_platform
