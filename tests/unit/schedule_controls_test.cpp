// The schedule controls: what each enables, stores and restarts.

#include <gtest/gtest.h>

#include "fakes/fakes.h"

namespace tw {
namespace {

struct ScheduleControls : ::testing::Test {
    test::Harness h;
    Form1* form = nullptr;
    void SetUp() override {
        form = &h.make();
        form->Form_Load();
        h.settings.writes.clear();
    }
};

TEST_F(ScheduleControls, EachOptionEnablesItsControlsAndStoresAllThreeKeys) {
    form->Option1.setValue(true);
    EXPECT_TRUE(form->cboWeekly.enabled());
    EXPECT_TRUE(form->dtpWeekly.enabled());
    form->Option2.setValue(true);
    EXPECT_FALSE(form->cboWeekly.enabled());
    EXPECT_TRUE(form->dtpWeekly.enabled());
    EXPECT_EQ(h.settings.get("Option1"), "False");
    EXPECT_EQ(h.settings.get("Option2"), "True");
    EXPECT_EQ(h.settings.get("Option3"), "False");
    form->Option3.setValue(true);
    EXPECT_FALSE(form->cboWeekly.enabled());
    EXPECT_FALSE(form->dtpWeekly.enabled());
    EXPECT_TRUE(form->Text11.enabled() && form->Text2.enabled() && form->Text3.enabled());
    const std::vector<std::pair<std::string, std::string>> lastThree(h.settings.writes.end() - 3,
                                                                     h.settings.writes.end());
    EXPECT_EQ(lastThree, (std::vector<std::pair<std::string, std::string>>{
                             {"Option1", "False"}, {"Option2", "False"}, {"Option3", "True"}}));
}

TEST_F(ScheduleControls, ChangingTheTimeRestartsOnlyTheDailyCountdown) {
    h.clock.set(2026, 12, 7, 21, 0, 0);
    form->Option2.setValue(true);
    form->dtpWeekly.setValue({std::nullopt, TimeOfDay{22, 0, 0}});
    EXPECT_EQ(h.settings.get("Weekly Time"), "22:00:00");
    form->PushButton4.click();
    form->SecondsElapsed = 100;

    form->dtpWeekly.setValue({std::nullopt, TimeOfDay{23, 0, 0}});
    EXPECT_EQ(form->SecondsElapsed, 0);
    EXPECT_EQ(form->SecondsToNextEmpty, 7200);

    form->SecondsElapsed = 10;
    form->Option1.setValue(true);  // weekly: recomputed on choosing it, then only stored
    EXPECT_EQ(form->SecondsToNextEmpty, 7 * 86400 - 21 * 3600) << "next Monday 00:00:00";
    EXPECT_EQ(form->SecondsElapsed, 0);
    form->SecondsElapsed = 50;
    form->dtpWeekly.setValue({std::nullopt, TimeOfDay{1, 0, 0}});
    EXPECT_EQ(form->SecondsElapsed, 50);
    EXPECT_EQ(form->SecondsToNextEmpty, 7 * 86400 - 21 * 3600);
    EXPECT_EQ(h.settings.get("Weekly Time"), "01:00:00");

    form->Option2.setValue(true);  // daily again: recomputed from the stored 01:00:00
    EXPECT_EQ(form->SecondsToNextEmpty, 4 * 3600);
    EXPECT_EQ(form->SecondsElapsed, 0);
}

TEST_F(ScheduleControls, AnotherWeekdayOrIntervalIsStoredButTheRunningCountStands) {
    form->PushButton4.click();
    form->SecondsElapsed = 30;
    const std::int32_t length = form->SecondsToNextEmpty;
    form->cboWeekly.setText("Friday");
    form->Text2.setText("45");
    EXPECT_EQ(h.settings.get("Weekly"), "Friday");
    EXPECT_EQ(h.settings.get("Text2"), "45");
    EXPECT_EQ(form->SecondsElapsed, 30);
    EXPECT_EQ(form->SecondsToNextEmpty, length);

    form->Option1.setValue(true);
    form->Option3.setValue(true);  // restarts from zero with the length computed before
    EXPECT_EQ(form->SecondsElapsed, 0);
}

TEST_F(ScheduleControls, TypingStoresEveryTextEvenEmptyOrNotANumber) {
    form->Text11.setText("1");
    form->Text11.setText("12");
    form->Text11.setText("");
    form->Text11.setText("ab");
    EXPECT_EQ(h.settings.writes,
              (std::vector<std::pair<std::string, std::string>>{
                  {"Text11", "1"}, {"Text11", "12"}, {"Text11", ""}, {"Text11", "ab"}}));
}

TEST_F(ScheduleControls, EnteringABoxSelectsItsWholeText) {
    form->Text3.setText("365");
    form->Form.setFocus(form->Text3);
    EXPECT_EQ(form->Text3.selStart(), 0);
    EXPECT_EQ(form->Text3.selLength(), 3);
}

TEST_F(ScheduleControls, LeavingABoxWithoutANumberWarnsAndTakesTheFocusBack) {
    form->Form.setFocus(form->Text11);
    form->Text11.setText("abc");
    form->Form.setFocus(form->Text3);
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].text, "Must be a numeric entry.");
    EXPECT_EQ(h.boxes.shown[0].title, "Tidewell");
    EXPECT_EQ(h.boxes.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(form->Form.focused(), &form->Text11);
    EXPECT_EQ(form->Text11.text(), "abc") << "the text is left for the next computation";

    form->Text11.setText("");
    form->Form.setFocus(form->PushButton4);
    EXPECT_EQ(h.boxes.shown.size(), 2u) << "an empty box fails the check too";

    // The days kept from scheduled empties: fractions pass, a negative count does not.
    form->Text11.setText("1");
    form->Form.setFocus(form->Text4);
    form->Text4.setText("0.5");
    form->Form.setFocus(form->PushButton4);
    EXPECT_EQ(h.boxes.shown.size(), 2u);
    form->Form.setFocus(form->Text4);
    form->Text4.setText("-2");
    form->Form.setFocus(form->PushButton4);
    ASSERT_EQ(h.boxes.shown.size(), 3u);
    EXPECT_EQ(h.boxes.shown[2].text, "Enter a number of days, 0 or more.");
    EXPECT_EQ(form->Form.focused(), &form->Text4);
    EXPECT_EQ(h.settings.get("Keep Days"), "-2") << "stored at every change, as typed";
}

TEST_F(ScheduleControls, TwoBadBoxesDoNotPassWarningsBackAndForth) {
    form->Text2.setText("x");
    form->Form.setFocus(form->Text11);
    form->Text11.setText("y");
    form->Form.setFocus(form->Text2);  // Text11 warns, takes the focus back from Text2
    EXPECT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(form->Form.focused(), &form->Text11);
}

TEST(ScheduleControlsLocale, ATimeWrittenWithDotsStillRestartsTheDailyCountdown) {
    test::Harness h;
    h.locale = test::FakeLocale("%d.%m.%Y", "%H.%M.%S", ",");
    Form1& form = h.make();
    form.Form_Load();
    h.clock.set(2026, 12, 7, 21, 0, 0);
    form.Option2.setValue(true);
    form.dtpWeekly.setValue({std::nullopt, TimeOfDay{22, 30, 0}});
    EXPECT_EQ(h.settings.get("Weekly Time"), "22.30.00");
    EXPECT_EQ(form.SecondsToNextEmpty, 5400);
}

}  // namespace
}  // namespace tw
