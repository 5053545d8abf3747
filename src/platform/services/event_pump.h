#pragma once

namespace tw {

class EventPump {
  public:
    virtual ~EventPump() = default;
    // Handle the window events that are waiting, then return.
    virtual void processEvents() = 0;
    // Handle events as they come for at most `seconds`, sleeping while none arrive.
    virtual void waitForEvents(double seconds) = 0;
};

}  // namespace tw
