// FindDuration on a fake clock. 2026-12-07 is a Monday.

#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "runtime/errors.h"

namespace tw {
namespace {

struct FindDurationTest : ::testing::Test {
    test::Harness h;
    Form1* form = nullptr;
    void SetUp() override { form = &h.make(); }

    std::int32_t weekly(const char* day) {
        form->cboWeekly.setText(day);
        form->Option1.setValue(true);
        form->FindDuration();
        return form->SecondsToNextEmpty;
    }
    std::int32_t daily(TimeOfDay at) {
        form->dtpWeekly.setValue({std::nullopt, at});
        form->Option2.setValue(true);
        form->FindDuration();
        return form->SecondsToNextEmpty;
    }
    std::int32_t interval(const char* days, const char* hours, const char* minutes) {
        form->Text3.setText(days);
        form->Text11.setText(hours);
        form->Text2.setText(minutes);
        form->Option3.setValue(true);
        form->FindDuration();
        return form->SecondsToNextEmpty;
    }
};

TEST_F(FindDurationTest, WeeklyFallsAtTheStartOfTheChosenDayNeverToday) {
    h.clock.set(2026, 12, 9, 9, 0, 0);  // Wednesday
    EXPECT_EQ(weekly("Monday"), 399600);
    h.clock.set(2026, 12, 7, 9, 0, 0);  // Monday
    EXPECT_EQ(weekly("Monday"), 572400);
    h.clock.set(2026, 12, 12, 23, 0, 0);  // Saturday
    EXPECT_EQ(weekly("Sunday"), 3600);
    h.clock.set(2026, 12, 31, 12, 0, 0);  // Thursday, across the year's end
    EXPECT_EQ(weekly("Friday"), 43200);
}

TEST_F(FindDurationTest, JanuaryAndFebruaryCrossTheirMonthEnds) {
    h.clock.set(2027, 1, 31, 12, 0, 0);  // Sunday
    EXPECT_EQ(weekly("Monday"), 43200);
    EXPECT_EQ(weekly("Sunday"), 561600);
    h.clock.set(2027, 2, 28, 12, 0, 0);  // Sunday; March follows
    EXPECT_EQ(weekly("Tuesday"), 129600);
    h.clock.set(2028, 2, 28, 12, 0, 0);  // Monday of a leap year
    EXPECT_EQ(weekly("Wednesday"), 129600);
    EXPECT_EQ(weekly("Monday"), 561600);
    h.clock.set(2027, 1, 1, 12, 0, 0);  // Friday
    EXPECT_EQ(weekly("Saturday"), 43200);

    h.clock.set(2027, 1, 31, 23, 30, 0);
    EXPECT_EQ(daily({0, 15, 0}), 2700);
    h.clock.set(2027, 2, 28, 23, 30, 0);
    EXPECT_EQ(daily({0, 15, 0}), 2700);
    h.clock.set(2028, 2, 29, 23, 30, 0);
    EXPECT_EQ(daily({0, 15, 0}), 2700);
    h.clock.set(2027, 2, 1, 0, 15, 1);
    EXPECT_EQ(daily({0, 15, 0}), 86399);
}

TEST_F(FindDurationTest, WeeklyWithoutASelectedDayUsesMonday) {
    h.clock.set(2026, 12, 9, 9, 0, 0);
    form->Option1.setValue(true);
    ASSERT_EQ(form->cboWeekly.listIndex(), -1);
    form->FindDuration();
    EXPECT_EQ(form->SecondsToNextEmpty, 399600);
}

TEST_F(FindDurationTest, DailyIsTodayUntilThePresentSecondThenTomorrow) {
    h.clock.set(2026, 12, 7, 9, 0, 0);
    EXPECT_EQ(daily({10, 30, 0}), 5400);
    h.clock.set(2026, 12, 7, 10, 30, 0);
    EXPECT_EQ(daily({10, 30, 0}), 0);
    h.clock.set(2026, 12, 7, 10, 30, 1);
    EXPECT_EQ(daily({10, 30, 0}), 86399);
    h.clock.set(2026, 12, 31, 23, 59, 59);
    EXPECT_EQ(daily({0, 0, 0}), 1);
}

TEST_F(FindDurationTest, DailyWithADateInThePickerIsATypeMismatchAndKeepsTheCount) {
    form->SecondsToNextEmpty = 77;
    form->Option2.setValue(true);  // the picker still holds its designed date
    try {
        form->FindDuration();
        FAIL() << "expected a type mismatch";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 13);
    }
    EXPECT_EQ(form->SecondsToNextEmpty, 77);
}

TEST_F(FindDurationTest, DaysCountPlainCalendarSecondsAcrossDaylightSaving) {
    // Europe and North America change their clocks in these weeks; a day is 86400 all the same.
    h.clock.set(2026, 3, 28, 12, 0, 0);  // Saturday
    EXPECT_EQ(weekly("Monday"), 129600);
    h.clock.set(2026, 10, 31, 22, 0, 0);
    EXPECT_EQ(daily({21, 0, 0}), 82800);
}

TEST_F(FindDurationTest, IntervalAddsDaysHoursAndMinutes) {
    EXPECT_EQ(interval("1", "2", "30"), 95400);
    EXPECT_EQ(interval("0", "0", "0"), 0);
    EXPECT_EQ(interval("0", "0", "0.5"), 30);
    EXPECT_EQ(interval("0", "0", "0.125"), 8) << "7.5 seconds round to the even 8";
    EXPECT_EQ(interval("0", "0", "0.375"), 22) << "22.5 seconds round to the even 22";
    EXPECT_EQ(interval("24855", "0", "0"), 2147472000);
}

TEST_F(FindDurationTest, IntervalRepairsBoxesThatHoldNoNumberAndStoresTheRepair) {
    EXPECT_EQ(interval("", "", ""), 86400);
    EXPECT_EQ(form->Text11.text(), "0");
    EXPECT_EQ(form->Text2.text(), "0");
    EXPECT_EQ(form->Text3.text(), "1");
    EXPECT_EQ(h.settings.get("Text3"), "1");
    EXPECT_EQ(h.settings.get("Text11"), "0");

    EXPECT_EQ(interval("2", "x", "5"), 2 * 86400 + 300);
    EXPECT_EQ(form->Text11.text(), "0");
}

TEST_F(FindDurationTest, NegativeCountsAreRepairedLikeLettersAndARepairedZeroIsRefused) {
    EXPECT_EQ(interval("-1", "0", "30"), 86400 + 1800);
    EXPECT_EQ(form->Text3.text(), "1");
    EXPECT_EQ(h.settings.get("Text3"), "1");
    EXPECT_EQ(interval("2", "-0.5", "0"), 2 * 86400);
    EXPECT_EQ(form->Text11.text(), "0");
    EXPECT_EQ(interval("0", "0", "-0"), 0) << "minus zero is zero, as typed";

    form->SecondsToNextEmpty = 77;
    try {
        interval("0", "-1", "0");
        FAIL() << "a zero that only a repair produced must not be scheduled";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 5);
    }
    EXPECT_EQ(form->SecondsToNextEmpty, 77);
    EXPECT_EQ(form->Text11.text(), "0");
}

TEST_F(FindDurationTest, AnIntervalBeyond32BitsOverflowsAndKeepsThePreviousCount) {
    EXPECT_EQ(interval("1", "0", "0"), 86400);
    EXPECT_THROW(interval("24856", "0", "0"), AppError);
    EXPECT_EQ(form->SecondsToNextEmpty, 86400);
    EXPECT_THROW(interval(std::string(300, '9').c_str(), "0", "0"), AppError);
    EXPECT_EQ(form->SecondsToNextEmpty, 86400);
}

}  // namespace
}  // namespace tw
