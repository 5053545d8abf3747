// The classic runtime's calendar arithmetic and its 32-bit overflow rule, against dates and
// limits known from outside the code.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/calendar.h"
#include "runtime/checked_int32.h"
#include "runtime/errors.h"

namespace tw {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

template <class Call>
void expectOverflow(Call&& call, const char* what) {
    try {
        call();
        ADD_FAILURE() << what << ": no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 6) << what;
        EXPECT_STREQ(e.what(), "Overflow") << what;
    }
}

TEST(Calendar, CountsDaysAcrossYearEndsAndLeapFebruaries) {
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(DaysFromCivil(1899, 12, 30), -25569);  // the designer's date zero
    EXPECT_EQ(DaysFromCivil(2000, 3, 1) - DaysFromCivil(2000, 2, 28), 2);  // 400-year leap
    EXPECT_EQ(DaysFromCivil(2100, 3, 1) - DaysFromCivil(2100, 2, 28), 1);  // century, no leap
    EXPECT_EQ(DaysFromCivil(2027, 1, 1) - DaysFromCivil(2026, 12, 31), 1);

    EXPECT_EQ(AddDays({2026, 12, 31}, 1), (CivilDate{2027, 1, 1}));
    EXPECT_EQ(AddDays({2027, 1, 1}, -1), (CivilDate{2026, 12, 31}));
    EXPECT_EQ(AddDays({2028, 2, 28}, 1), (CivilDate{2028, 2, 29}));
    EXPECT_EQ(AddDays({2027, 2, 28}, 1), (CivilDate{2027, 3, 1}));
    EXPECT_EQ(AddDays({2027, 1, 31}, 7), (CivilDate{2027, 2, 7}));
    EXPECT_EQ(CivilFromDays(-25569), (CivilDate{1899, 12, 30}));
}

TEST(Calendar, WeekdaysCountFromSunday) {
    EXPECT_EQ(Weekday({2027, 1, 3}), 1);   // a Sunday
    EXPECT_EQ(Weekday({2026, 12, 7}), 2);  // a Monday
    EXPECT_EQ(Weekday({2028, 2, 29}), 3);  // a Tuesday
    EXPECT_EQ(Weekday({2027, 2, 6}), 7);   // a Saturday
    EXPECT_EQ(Weekday({1970, 1, 1}), 5);   // a Thursday
}

TEST(CheckedInt32, ResultsAtTheLimitsFitAndOnePastIsOverflow) {
    EXPECT_EQ(checked::add(kMax - 1, 1), kMax);
    EXPECT_EQ(checked::subtract(kMin + 1, 1), kMin);
    EXPECT_EQ(checked::subtract(-1, kMax), kMin);
    EXPECT_EQ(checked::multiply(46340, 46340), 2147395600);
    EXPECT_EQ(checked::multiply(-65536, 32768), kMin);
    EXPECT_EQ(checked::toInt32(std::int64_t{kMin}), kMin);

    expectOverflow([] { checked::add(kMax, 1); }, "add past the top");
    expectOverflow([] { checked::add(kMin, -1); }, "add past the bottom");
    expectOverflow([] { checked::subtract(0, kMin); }, "negating the bottom");
    expectOverflow([] { checked::multiply(46341, 46341); }, "square past the top");
    expectOverflow([] { checked::multiply(65536, 32768); }, "product of 2^31");
    expectOverflow([] { checked::toInt32(std::int64_t{kMax} + 1); }, "64-bit past the top");
    expectOverflow([] { checked::toInt32(std::int64_t{kMin} - 1); }, "64-bit past the bottom");
}

TEST(CheckedInt32, RoundingTakesHalvesToEvenBeforeTheRangeCheck) {
    EXPECT_EQ(checked::roundToInt32(2.5), 2);
    EXPECT_EQ(checked::roundToInt32(3.5), 4);
    EXPECT_EQ(checked::roundToInt32(-2.5), -2);
    EXPECT_EQ(checked::roundToInt32(2147483647.4), kMax);
    EXPECT_EQ(checked::roundToInt32(-2147483648.5), kMin);  // rounds to the even bottom

    expectOverflow([] { checked::roundToInt32(2147483647.5); }, "rounds to 2^31");
    expectOverflow([] { checked::roundToInt32(-2147483649.0); }, "below the bottom");
    expectOverflow([] { checked::roundToInt32(std::nan("")); }, "not a number");
    expectOverflow([] { checked::roundToInt32(INFINITY); }, "infinity");
}

}  // namespace
}  // namespace tw
