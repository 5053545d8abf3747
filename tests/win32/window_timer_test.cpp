// The timer driver: absolute deadlines, no tick inside a tick, and real system timer ticks.

#include <gtest/gtest.h>

#include "platform/win32/win32_timer_driver.h"

namespace tw {
namespace {

using win32_platform::TimerDriver;
using namespace std::chrono_literals;

struct Driven {
    controls::Timer timer{"Timer1"};
    TimerDriver::TimePoint now{};
    std::unique_ptr<TimerDriver> driver;
    int ticks = 0;

    Driven() {
        driver = std::make_unique<TimerDriver>(timer, nullptr, [this] { return now; });
        timer.setObserver([this] { driver->sync(); });
    }
};

TEST(Win32TimerDriver, DeadlinesAreAbsoluteAndAFarBehindTimerDoesNotCatchUp) {
    Driven d;
    d.timer.onTimer = [&] { ++d.ticks; };
    EXPECT_FALSE(d.driver->armed());  // enabled with interval 0: never fires
    d.timer.setInterval(1000);
    EXPECT_TRUE(d.driver->armed());
    const auto start = d.now;
    EXPECT_EQ(d.driver->deadline(), start + 1000ms);

    // A tick that comes late does not push the next one back.
    d.now = start + 1040ms;
    d.driver->fire();
    EXPECT_EQ(d.ticks, 1);
    EXPECT_EQ(d.driver->deadline(), start + 2000ms);

    // Far behind (a long empty): one tick, and the next a whole interval later.
    d.now = start + 9500ms;
    d.driver->fire();
    EXPECT_EQ(d.ticks, 2);
    EXPECT_EQ(d.driver->deadline(), start + 10500ms);

    d.timer.setTimerEnabled(false);
    EXPECT_FALSE(d.driver->armed());
    d.driver->fire();
    EXPECT_EQ(d.ticks, 2);
}

TEST(Win32TimerDriver, ATickNeverRunsInsideAnotherAndAStopInsideATickHolds) {
    Driven d;
    d.timer.setInterval(1000);
    d.timer.onTimer = [&] {
        ++d.ticks;
        // The tick processes events: the system timer's next expiry arrives inside it.
        d.now += 1000ms;
        d.driver->fire();
        d.timer.setTimerEnabled(false);
    };
    d.now += 1000ms;
    d.driver->fire();
    EXPECT_EQ(d.ticks, 1);
    EXPECT_FALSE(d.driver->armed());
}

TEST(Win32TimerDriver, TheSystemTimerTicksWhileMessagesAreHandled) {
    controls::Timer timer("Timer1");
    TimerDriver driver(timer);
    timer.setObserver([&] { driver.sync(); });
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    timer.setInterval(20);
    const DWORD until = GetTickCount() + 10000;
    MSG msg;
    while (ticks < 3 && GetTickCount() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    EXPECT_GE(ticks, 3);
    timer.setInterval(0);
    EXPECT_FALSE(driver.armed());
}

}  // namespace
}  // namespace tw
