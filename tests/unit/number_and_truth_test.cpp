// The numeric test, the number conversion and the truth-value reading of stored options.

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "app/app_title.h"
#include "app/settings.h"
#include "runtime/error_trap.h"
#include "runtime/errors.h"
#include "runtime/number_text.h"
#include "scheduling/format_duration.h"

namespace tw {
namespace {

TEST(ReadNumber, AcceptsSignDigitsAndDecimalPartOnly) {
    EXPECT_EQ(ReadNumber("12", "."), 12.0);
    EXPECT_EQ(ReadNumber(" -0.5 ", "."), -0.5);
    EXPECT_EQ(ReadNumber("+.25", "."), 0.25);
    EXPECT_EQ(ReadNumber("3.", "."), 3.0);
    EXPECT_EQ(ReadNumber("2,5", ","), 2.5);
    for (const char* bad : {"", " ", "-", ".", "1e3", "1,000", "12a", "0x10", "1.2.3", "--1"}) {
        EXPECT_FALSE(ReadNumber(bad, ".").has_value()) << bad;
    }
    EXPECT_FALSE(ReadNumber("2.5", ",").has_value()) << "the user's separator only";
    EXPECT_FALSE(ReadNumber(std::string(400, '9'), ".").has_value()) << "too large is no number";
}

TEST(TextToBool, TakesTruthWordsInAnyCaseAndNumbers) {
    EXPECT_TRUE(TextToBool("True", "."));
    EXPECT_TRUE(TextToBool("TRUE", "."));
    EXPECT_FALSE(TextToBool("false", "."));
    EXPECT_FALSE(TextToBool("0", "."));
    EXPECT_TRUE(TextToBool("-1", "."));
    EXPECT_TRUE(TextToBool("0.5", "."));
    try {
        TextToBool("yes", ".");
        FAIL() << "expected a type mismatch";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), typeMismatchError().number());
    }
}

TEST(FormatDuration, ShowsClockTextAndDayCount) {
    EXPECT_EQ(FormatDuration(0), "00:00:00");
    EXPECT_EQ(FormatDuration(3661), "01:01:01");
    EXPECT_EQ(FormatDuration(86399), "23:59:59");
    EXPECT_EQ(FormatDuration(86400), "1 day(s) and 00:00:00");
    EXPECT_EQ(FormatDuration(172800), "2 day(s) and 00:00:00");
    EXPECT_EQ(FormatDuration(604799), "6 day(s) and 23:59:59");
    EXPECT_EQ(FormatDuration(2147483647), "24855 day(s) and 03:14:07");
    EXPECT_EQ(FormatDuration(-1), "00:00:01");
    EXPECT_EQ(FormatDuration(-86401), "00:00:01");
    EXPECT_EQ(FormatDuration(-2147483647 - 1), "03:14:08");
}

TEST(AppTitle, CutsWordsFromTheEndButKeepsANameWithoutBlanks) {
    EXPECT_EQ(DeriveAppTitle("Tidewell"), "Tidewell");
    EXPECT_EQ(DeriveAppTitle("Tide Well"), "Tide");
    const std::string forty = "Aaaaaaa Bbbbbbb Ccccccc Ddddddd Eeeeeeee";  // 40 characters
    ASSERT_EQ(forty.size(), 40u);
    EXPECT_EQ(DeriveAppTitle(forty), "Aaaaaaa Bbbbbbb Ccccccc Ddddddd");
    EXPECT_EQ(DeriveAppTitle(forty + " Ffffffffff"), forty);
    EXPECT_EQ(DeriveAppTitle(forty + " Ffffffffff Gg"), forty);
}

TEST(ErrorTrap, ReportsEachFailedStatementAndAFailedConditionEntersItsBranch) {
    std::vector<std::string> reports;
    ErrorTrap trap([&](const std::string& report) { reports.push_back(report); }, "M", "P");
    EXPECT_FALSE(trap.run(104, [] { throw std::bad_alloc(); }));
    EXPECT_TRUE(trap.test(112, []() -> bool { throw overflowError(); }));
    EXPECT_TRUE(trap.run(114, [] {}));
    // Each box opens with the error as the user knows it and names where it happened.
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].rfind("Out of memory\r\n", 0), 0u) << reports[0];
    EXPECT_NE(reports[0].find(".M.P at line 104"), std::string::npos) << reports[0];
    EXPECT_EQ(reports[1].rfind("Overflow\r\n", 0), 0u) << reports[1];
    EXPECT_NE(reports[1].find(".M.P at line 112"), std::string::npos) << reports[1];
}

TEST(ErrorReport, OpensWithTheErrorAndNamesItsSourceAndLine) {
    const std::string report = errorReportText("Overflow", "Form1", "Timer1_Timer", 118);
    EXPECT_EQ(report.rfind("Overflow\r\n", 0), 0u);
    EXPECT_NE(report.find(".Form1.Timer1_Timer at line 118"), std::string::npos) << report;
}

}  // namespace
}  // namespace tw
