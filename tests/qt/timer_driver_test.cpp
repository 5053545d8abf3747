// The real timer behind the model's Timer1: ticks only while it runs, on fixed deadlines.

#include <gtest/gtest.h>

#include <QDeadlineTimer>

#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_timer_driver.h"

namespace tw::qt_platform {
namespace {

using namespace std::chrono_literals;
using TimePoint = TimerDriver::TimePoint;

struct DrivenTimer {
    explicit DrivenTimer(TimerDriver::Now now = {}) : driver(timer, {}, std::move(now)) {
        timer.onTimer = [this] {
            ++ticks;
            if (duringTick) duringTick();
        };
        timer.setObserver([this] { driver.sync(); });
    }
    controls::Timer timer{"Timer1"};
    int ticks = 0;
    std::function<void()> duringTick;
    TimerDriver driver;
};

TEST(TimerDriver, DeadlinesAdvanceByTheIntervalAndReanchorWhenRestarted) {
    const TimePoint t0{};
    TimePoint now = t0;
    DrivenTimer d([&] { return now; });
    EXPECT_FALSE(d.driver.armed()) << "enabled with interval 0 never fires";

    d.timer.setInterval(1000);
    EXPECT_TRUE(d.driver.armed());
    EXPECT_EQ(d.driver.deadline(), t0 + 1000ms);

    // A tick that comes a little late does not push the next one back.
    now = t0 + 1003ms;
    d.driver.fire();
    EXPECT_EQ(d.ticks, 1);
    EXPECT_EQ(d.driver.deadline(), t0 + 2000ms);
    now = t0 + 2040ms;
    d.driver.fire();
    EXPECT_EQ(d.driver.deadline(), t0 + 3000ms);

    d.timer.setTimerEnabled(false);
    EXPECT_FALSE(d.driver.armed());
    d.driver.fire();
    EXPECT_EQ(d.ticks, 2) << "no tick while disabled";

    now = t0 + 5500ms;
    d.timer.setTimerEnabled(true);
    EXPECT_EQ(d.driver.deadline(), t0 + 6500ms) << "re-anchored at the restart";
    now = t0 + 5800ms;
    d.timer.setInterval(1000);
    EXPECT_EQ(d.driver.deadline(), t0 + 6800ms) << "re-anchored when set while running";

    // Far behind (an empty held the tick past its deadline): the real timer still fires, once,
    // with no burst to catch up.
    now = t0 + 60s;
    d.driver.sync();
    QtEventPump pump;
    const QDeadlineTimer patience(30000);
    while (d.ticks < 3 && !patience.hasExpired()) pump.waitForEvents(0.05);
    EXPECT_EQ(d.ticks, 3);
    EXPECT_EQ(d.driver.deadline(), t0 + 61s);

    // A tick that stops and restarts the timer (as an empty does) counts from its restart.
    d.duringTick = [&] {
        now += 2500ms;
        d.timer.setTimerEnabled(false);
        d.timer.setTimerEnabled(true);
    };
    now = t0 + 61s;
    d.driver.fire();
    EXPECT_EQ(d.driver.deadline(), t0 + 64500ms);
    EXPECT_TRUE(d.driver.armed());

    d.timer.setInterval(0);
    EXPECT_FALSE(d.driver.armed());
}

TEST(TimerDriver, TicksForRealOnlyWhileRunning) {
    DrivenTimer d;
    QtEventPump pump;
    pump.waitForEvents(0.05);
    EXPECT_EQ(d.ticks, 0);

    d.timer.setInterval(10);
    const QDeadlineTimer patience(30000);
    while (d.ticks < 3 && !patience.hasExpired()) pump.waitForEvents(0.05);
    EXPECT_GE(d.ticks, 3);

    d.timer.setTimerEnabled(false);
    const int stopped = d.ticks;
    pump.waitForEvents(0.1);
    EXPECT_EQ(d.ticks, stopped);
}

}  // namespace
}  // namespace tw::qt_platform
