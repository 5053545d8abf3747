#pragma once

// A clock that moves only when told and an event pump whose waits move it, with actions
// scheduled to "arrive" at given moments: enough to drive a timed wait step by step.

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/services/clock.h"
#include "platform/services/event_pump.h"

namespace tw::test {

class SteppedClock : public Clock {
  public:
    LocalDateTime now() const override { return {2026, 12, 7, 9, 0, 0}; }
    double monotonicSeconds() const override { return seconds; }
    double bootSeconds() const override { return seconds; }
    double seconds = 500.0;
};

class SteppedPump : public EventPump {
  public:
    explicit SteppedPump(SteppedClock& clock) : clock_(clock) {}

    void processEvents() override {
        ++processed;
        runDue();
    }
    // Sleeps for the time asked, but at most `step`, then handles what has arrived.
    void waitForEvents(double seconds) override {
        waits.push_back(seconds);
        clock_.seconds += std::min(seconds, step);
        runDue();
    }
    // Runs `action` at the first wait or processing once `delay` seconds have passed.
    void after(double delay, std::function<void()> action) {
        scheduled.push_back({clock_.seconds + delay, std::move(action)});
    }

    double step = 0.5;
    int processed = 0;
    std::vector<double> waits;  // the time each wait was allowed

  private:
    struct Scheduled {
        double at;
        std::function<void()> action;
    };
    void runDue() {
        for (std::size_t i = 0; i < scheduled.size();) {
            if (scheduled[i].at <= clock_.seconds) {
                auto action = std::move(scheduled[i].action);
                scheduled.erase(scheduled.begin() + static_cast<std::ptrdiff_t>(i));
                action();  // may schedule more
                i = 0;
            } else {
                ++i;
            }
        }
    }

    SteppedClock& clock_;
    std::vector<Scheduled> scheduled;
};

}  // namespace tw::test
