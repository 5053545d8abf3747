// The countdown tick, the progress bar and the on/off switch on a fake clock.

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fakes.h"

namespace tw {
namespace {

struct Countdown : ::testing::Test {
    test::Harness h;
    Form1* form = nullptr;

    void SetUp() override {
        h.shell.drives = {{"/", DriveType::Fixed, 0}};
        form = &h.make();
        form->Form_Load();
        h.boxes.shown.clear();
    }
    // One on-time tick: a second passes on every clock, then the host's timer fires.
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            h.clock.advance(1);
            form->Timer1.tick();
        }
    }
    int empties() const {
        return static_cast<int>(
            std::count(h.shell.calls.begin(), h.shell.calls.end(), "empty all 7"));
    }
    void trash(std::int64_t items) { h.shell.drives[0].items = items; }
    void dailyAt(TimeOfDay t) {
        form->Option2.setValue(true);
        form->dtpWeekly.setValue({std::nullopt, t});
    }
    void everyMinutes(const char* minutes) {
        form->Text3.setText("0");
        form->Text11.setText("0");
        form->Text2.setText(minutes);
        form->Option3.setValue(true);
    }
    std::string status() const { return form->Frame2.caption(); }
};

TEST_F(Countdown, ADailyScheduleEmptiesOnTheExactTickAndCountsADayAgain) {
    h.clock.set(2026, 12, 7, 21, 0, 0);
    dailyAt({22, 0, 0});
    form->PushButton4.click();
    EXPECT_EQ(status(), "On. Next empty will occur in: xx:xx:xx");
    EXPECT_EQ(form->SecondsToNextEmpty, 3600);

    tick();
    EXPECT_EQ(status(), "On. Next empty will occur in: 00:59:59");
    EXPECT_EQ(form->ProgressBar1.max(), 3600);
    EXPECT_EQ(form->ProgressBar1.position(), 1);
    trash(5);
    tick(3598);
    EXPECT_EQ(status(), "On. Next empty will occur in: 00:00:01");
    EXPECT_EQ(empties(), 0);

    tick();  // the 3600th
    EXPECT_EQ(empties(), 1);
    EXPECT_EQ(form->ProgressBar1.position(), 3600) << "the bar is full when the count runs out";
    EXPECT_EQ(status(), "Off.") << "what the empty left until the next tick";
    EXPECT_TRUE(h.boxes.shown.empty()) << "a scheduled empty is silent";
    EXPECT_EQ(form->SecondsElapsed, 0);
    EXPECT_EQ(form->SecondsToNextEmpty, 86400);
    EXPECT_EQ(form->Form.mousePointer(), 0);
    EXPECT_TRUE(form->Timer1.running());

    tick();
    EXPECT_EQ(status(), "On. Next empty will occur in: 23:59:59");
}

TEST_F(Countdown, ShortAndEmptyCountdownsEmptyOnTheFirstTick) {
    everyMinutes("0");
    form->PushButton4.click();
    ASSERT_EQ(form->SecondsToNextEmpty, 0);
    const int before = form->ProgressBar1.position();
    trash(1);
    tick();
    EXPECT_EQ(status(), "Off.");
    EXPECT_EQ(empties(), 1);
    EXPECT_EQ(form->ProgressBar1.position(), before) << "elapsed beyond the total leaves it";
    EXPECT_EQ(form->ProgressBar1.max(), 0);
    tick();
    EXPECT_EQ(form->SecondsElapsed, 0) << "a zero interval empties at every tick";

    form->SecondsToNextEmpty = 1;
    form->SecondsElapsed = 0;
    trash(1);
    form->Timer1.tick();
    EXPECT_EQ(empties(), 2) << "the second tick found the bin already empty";
}

TEST_F(Countdown, TheFirstTickShowsTheCountLessOneSecond) {
    form->Text3.setText("1");
    form->Text11.setText("1");
    form->Text2.setText("1");
    form->PushButton4.click();
    tick();
    EXPECT_EQ(status(), "On. Next empty will occur in: 1 day(s) and 01:00:59");
}

TEST_F(Countdown, ATickAfterSwitchingOffOnlyWritesOff) {
    everyMinutes("1");
    form->PushButton4.click();
    tick(10);
    form->PushButton4.click();
    EXPECT_EQ(form->PushButton4.caption(), "Turn On");
    EXPECT_EQ(status(), "Off.");
    EXPECT_EQ(h.settings.get("StartStopState"), "Off");
    EXPECT_EQ(form->Timer1.interval(), 0);
    form->Frame2.setCaption("something else");
    form->Timer1.onTimer();  // a tick already queued when the switch went off
    EXPECT_EQ(status(), "Off.");
    EXPECT_EQ(form->SecondsElapsed, 10);

    form->PushButton4.click();  // on again: a new full countdown
    EXPECT_EQ(h.settings.get("StartStopState"), "On");
    EXPECT_EQ(form->SecondsElapsed, 0);
    tick();
    EXPECT_EQ(status(), "On. Next empty will occur in: 00:00:59");
    EXPECT_EQ(form->ProgressBar1.position(), 1);
}

TEST_F(Countdown, EmptyNowPausesTheCountWhichResumesWhereItStood) {
    everyMinutes("1");
    form->PushButton4.click();
    tick(20);
    trash(3);
    form->PushButton2.click();  // confirmed with Yes
    ASSERT_EQ(h.boxes.shown.size(), 2u);
    EXPECT_EQ(h.boxes.shown[0].text, "Are you sure you want to empty the Recycle Bin now?");
    EXPECT_EQ(h.boxes.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(h.boxes.shown[1].text, "Done.");
    EXPECT_EQ(status(), "Off.");
    EXPECT_EQ(form->SecondsElapsed, 20);
    tick();
    EXPECT_EQ(status(), "On. Next empty will occur in: 00:00:39");
}

TEST_F(Countdown, ALateTickAfterSuspendCatchesUpTheMissedMoment) {
    h.clock.set(2026, 12, 7, 21, 0, 0);
    dailyAt({22, 0, 0});
    form->PushButton4.click();
    tick(5);
    trash(2);
    // The laptop sleeps through 22:00 and wakes at 07:00; the timer fires once on waking.
    h.clock.suspend(10 * 3600 - 5);
    form->Timer1.tick();
    EXPECT_EQ(empties(), 1) << "the missed empty happens at the first tick after waking";
    EXPECT_EQ(form->SecondsToNextEmpty, 15 * 3600) << "the next is measured from now: 22:00";
    tick();
    EXPECT_EQ(status(), "On. Next empty will occur in: 14:59:59");

    // A tick that is merely a little late still counts one second.
    h.clock.advance(1.6);
    form->Timer1.tick();
    EXPECT_EQ(form->SecondsElapsed, 2);
}

TEST_F(Countdown, ATickSecondsLateWithTheEmptyFarOffCreditsThoseSecondsOnly) {
    everyMinutes("60");
    form->PushButton4.click();
    tick(5);
    trash(1);
    h.clock.advance(2);  // a stalled machine: one tick was missed
    form->Timer1.tick();
    EXPECT_EQ(form->SecondsElapsed, 7);
    EXPECT_EQ(status(), "On. Next empty will occur in: 00:59:53");
    h.clock.advance(7.9);
    form->Timer1.tick();
    EXPECT_EQ(form->SecondsElapsed, 14);
    EXPECT_EQ(empties(), 0);

    // Turned off for two hours and on again: the time it stood still is not credited.
    form->PushButton4.click();
    h.clock.advance(7200);
    form->PushButton4.click();
    tick();
    EXPECT_EQ(form->SecondsElapsed, 1);
    EXPECT_EQ(empties(), 0);
}

TEST_F(Countdown, ATickNeverRunsInsideAnother) {
    everyMinutes("1");
    form->PushButton4.click();
    // The host's timer fires again while the tick processes the waiting events.
    h.pump.pending.push_back([this] {
        h.clock.advance(1);
        form->Timer1.tick();
    });
    tick();
    EXPECT_EQ(form->SecondsElapsed, 1);
    EXPECT_EQ(status(), "On. Next empty will occur in: 00:00:59");
}

// What waits in the event loop as the countdown runs out is handled before the empty; an
// ordinary tick leaves it to the loop (no turn of its own every second).
TEST_F(Countdown, WaitingEventsAreHandledBeforeTheEmptyNotOnEveryTick) {
    everyMinutes("1");
    form->PushButton4.click();
    trash(1);
    tick(58);
    int emptiesSeen = -1;
    h.pump.pending.push_back([&] { emptiesSeen = empties(); });
    tick();
    EXPECT_EQ(emptiesSeen, -1);
    tick();
    EXPECT_EQ(emptiesSeen, 0);
    EXPECT_EQ(empties(), 1);

    // Switched off as the next countdown runs out: the tick that handled the click empties
    // nothing.
    trash(1);
    tick(59);
    h.pump.pending.push_back([&] { form->PushButton4.click(); });
    tick();
    EXPECT_EQ(form->PushButton4.caption(), "Turn On");
    EXPECT_EQ(empties(), 1);
}

TEST_F(Countdown, ANextCountdownThatFailsIsReportedOnceAndStopsTheSchedule) {
    everyMinutes("1");
    form->PushButton4.click();
    ASSERT_EQ(form->SecondsToNextEmpty, 60);
    form->Text3.setText("24856");  // takes effect at the next computation, which overflows
    trash(1);
    tick(60);
    EXPECT_EQ(empties(), 1) << "the countdown that was computed ran out";
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].title, "Application Error");
    EXPECT_EQ(h.boxes.shown[0].icon, MsgIcon::Warning);
    EXPECT_NE(h.boxes.shown[0].text.find(
                  "Overflow\r\nin Tidewell2021/08/31.Form1.Timer1_Timer at line 118"),
              std::string::npos);
    // The old length belongs to a schedule the user has changed: it does not run again.
    EXPECT_EQ(form->PushButton4.caption(), "Turn On");
    EXPECT_EQ(status(), "Off.");
    trash(1);
    tick(120);
    EXPECT_EQ(empties(), 1);
    EXPECT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.settings.get("StartStopState"), "On") << "the user's choice is kept";
}

TEST_F(Countdown, AnOverflowingEntryTypedThenSwitchedOnEmptiesNothingAndWarnsOnce) {
    everyMinutes("1");
    form->Text11.setText("99999999999");
    trash(4);
    form->PushButton4.click();
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_NE(
        h.boxes.shown[0].text.find("Overflow\r\nin Tidewell2021/08/31.Form1.PushButton4_Click "
                                   "at line 108"),
        std::string::npos);
    EXPECT_EQ(form->PushButton4.caption(), "Turn On");
    EXPECT_EQ(status(), "Off.");
    EXPECT_EQ(h.settings.get("StartStopState"), "<missing>") << "not stored as on";
    tick(12);
    EXPECT_EQ(empties(), 0);
    EXPECT_EQ(h.boxes.shown.size(), 1u);

    // Corrected, the schedule switches on as usual.
    form->Text11.setText("1");
    form->PushButton4.click();
    EXPECT_EQ(form->SecondsToNextEmpty, 3660);
    EXPECT_EQ(h.settings.get("StartStopState"), "On");
    tick();
    EXPECT_EQ(status(), "On. Next empty will occur in: 01:00:59");
    EXPECT_EQ(empties(), 0);
}

// Typed over as the countdown runs out: the next countdown is the interval in force, never a
// count half typed ("1" on the way to "10"); leaving the box puts the typed count in force.
TEST_F(Countdown, TheNextCountdownIsTheIntervalInForceNeverOneHalfTyped) {
    everyMinutes("2");
    form->PushButton4.click();
    form->Form.setFocus(form->Text2);
    form->Text2.setText("1");
    tick(120);
    EXPECT_EQ(form->SecondsToNextEmpty, 120);
    form->Text2.setText("10");
    form->Form.setFocus(form->Text3);
    tick(120);
    EXPECT_EQ(form->SecondsToNextEmpty, 600);
}

TEST_F(Countdown, ANegativeEntryIsRefusedAndNeverScheduled) {
    everyMinutes("0");
    form->Form.setFocus(form->Text11);
    form->Text11.setText("-1");
    form->Form.setFocus(form->Text3);
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].text, "Must be a numeric entry.");
    EXPECT_EQ(form->Form.focused(), &form->Text11);

    // Switched on anyway: the refused box is repaired, and a repair that leaves nothing but
    // zeros is no schedule.
    trash(2);
    form->PushButton4.click();
    EXPECT_EQ(form->Text11.text(), "0");
    EXPECT_EQ(form->PushButton4.caption(), "Turn On");
    tick(5);
    EXPECT_EQ(empties(), 0);

    form->Text3.setText("-1");
    form->PushButton4.click();
    EXPECT_EQ(form->Text3.text(), "1");
    EXPECT_EQ(form->SecondsToNextEmpty, 86400);
    tick(5);
    EXPECT_EQ(empties(), 0);
}

// Nobody may be looking when a scheduled empty runs: no box waits, and a failure is told at
// the tray icon the first time of its kind, and in the status line's tooltip while it lasts.
TEST_F(Countdown, AScheduledEmptyThatFailsIsToldOncePerKindWithoutABox) {
    const auto balloons = [&] {
        std::vector<std::string> texts;
        for (const auto& call : h.tray.calls) {
            if (const auto info = call.fields().szInfo; info && !info->empty())
                texts.push_back(*info);
        }
        return texts;
    };
    everyMinutes("0");  // due at every tick
    form->PushButton4.click();
    h.tray.calls.clear();
    h.shell.emptyResult = kShellFail;
    for (int i = 0; i < 3; ++i) {
        trash(3);
        tick();
    }
    EXPECT_EQ(empties(), 3);
    EXPECT_TRUE(h.boxes.shown.empty());
    const std::string stayed = "The scheduled empty failed: some items could not be removed.";
    EXPECT_EQ(balloons(), std::vector<std::string>{stayed});
    EXPECT_EQ(form->Frame2.toolTip(), stayed);

    h.shell.drives[0].type = DriveType::Removable;  // another kind of failure is news
    tick(2);
    EXPECT_EQ(balloons().size(), 2u);
    EXPECT_NE(form->Frame2.toolTip(), stayed);
    h.shell.drives[0].type = DriveType::Fixed;  // the first kind again: told already
    trash(3);
    tick();
    EXPECT_EQ(balloons().size(), 2u);
    EXPECT_EQ(form->Frame2.toolTip(), stayed);

    h.shell.emptyResult = kShellOk;  // it went well: forgotten, so the same failure is news
    tick();
    EXPECT_EQ(form->Frame2.toolTip(), "");
    h.shell.emptyResult = kShellFail;
    trash(3);
    tick();
    EXPECT_EQ(balloons().size(), 3u);
    h.shell.emptyResult = kShellOk;
    tick();

    h.tray.available = false;  // no notification area: the tooltip alone
    h.shell.emptyResult = kShellFail;
    trash(1);
    tick();
    EXPECT_EQ(balloons().size(), 3u);
    EXPECT_EQ(form->Frame2.toolTip(), stayed);
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST_F(Countdown, ProgressBarTakesEveryMaximumButNeverAPositionBeyondIt) {
    form->UpdateProgress(100, 40);
    EXPECT_EQ(form->ProgressBar1.max(), 100);
    EXPECT_EQ(form->ProgressBar1.position(), 40);
    form->UpdateProgress(30, 20);
    EXPECT_EQ(form->ProgressBar1.max(), 30);
    EXPECT_EQ(form->ProgressBar1.position(), 20);
    form->UpdateProgress(30, 40);
    EXPECT_EQ(form->ProgressBar1.position(), 20) << "40 is beyond the maximum";
    form->UpdateProgress(-5, 0);
    EXPECT_EQ(form->ProgressBar1.max(), -5);
}

TEST_F(Countdown, ACaptionThatIsNeitherStateChangesNothing) {
    form->PushButton4.setCaption("Busy");
    form->PushButton4.click();
    EXPECT_EQ(form->Timer1.interval(), 0);
    EXPECT_EQ(h.settings.get("StartStopState"), "<missing>");
}

}  // namespace
}  // namespace tw
