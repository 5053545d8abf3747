// "Trash Size" and the preview: what the window does with a measure of the bins.

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fakes.h"

namespace tw {
namespace {

constexpr std::uint64_t GB = 1ull << 30;
constexpr std::int64_t kDay = 86400;

TrashMeasure bins(std::uint64_t oldItems, std::uint64_t oldBytes, std::uint64_t recentItems = 0,
                  std::uint64_t recentBytes = 0, std::uint64_t unknownBytes = 0) {
    TrashMeasure m;
    m.oldItems = oldItems;
    m.oldBytes = oldBytes;
    m.recentItems = recentItems;
    m.recentBytes = recentBytes;
    m.unknownItems = unknownBytes ? 1 : 0;
    m.unknownBytes = unknownBytes;
    return m;
}

// A window with the schedule on, hidden in the tray, and the bins measured when the test says.
struct Running {
    test::Harness h;
    Form1* form = nullptr;

    void start(const char* keepDays, const char* limit) {
        h.settings.put("Keep Days", keepDays);
        h.settings.put("Max Trash GB", limit);
        h.shell.drives = {{"/", DriveType::Fixed, 1}};
        form = &h.make();
        form->Form_Load();
        h.boxes.shown.clear();
        form->Text3.setText("1");  // every day: no scheduled empty meanwhile
        form->PushButton4.click();
        form->cSysTray1.setInTray(true);
    }
    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            h.clock.advance(1);
            form->Timer1.tick();
        }
    }
    // The host's worker ends: each measure asked for is answered with `m`.
    void measured(const TrashMeasure& m) {
        h.shell.measureToGive = m;
        auto waiting = std::move(h.shell.measuresWaiting);
        h.shell.measuresWaiting.clear();
        for (auto& done : waiting) done();
    }
    std::size_t pastLimitBalloons() const {
        return std::count_if(h.tray.calls.begin(), h.tray.calls.end(), [](const auto& call) {
            const auto info = call.fields().szInfo;
            return info && info->rfind("The Trash holds ", 0) == 0;
        });
    }
};

TEST(TrashSizeLimit, PastTheLimitTheOldestGoBeyondTheFloorAndRecentOnesPastItAreToldOnce) {
    struct Case {
        const char *keepDays, *limit;
        TrashMeasure m;
        std::uint64_t purgedTo;  // 0: no purge
        bool told;
    } cases[] = {
        {"0", "0", bins(9, 50 * GB), 0, false},
        {"30", "1", bins(3, GB + GB / 2, 4, GB / 2), GB, false},
        {"30", "1", bins(3, GB / 2, 4, GB + GB / 2), GB, true},
        {"30", "1", bins(0, 0, 4, GB / 2, GB), 0, true},
        {"30", "1", bins(3, GB / 2, 4, GB / 2 - 1), 0, false},
        {"30", "1", bins(3, GB / 2, 4, GB / 2), 0, false},
        {"30", "0.5", bins(3, GB / 2 + 1), GB / 2, false},
        {"30", "big", bins(9, 50 * GB), 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.keepDays) + " days, " + c.limit + " GB, old bytes " +
                     std::to_string(c.m.oldBytes));
        Running r;
        r.start(c.keepDays, c.limit);
        r.tick();
        ASSERT_EQ(r.h.shell.measuresWaiting.size(), 1u) << "a measure at start";
        r.measured(c.m);
        if (c.purgedTo) {
            EXPECT_EQ(r.h.shell.emptyLimits, std::vector<std::uint64_t>{c.purgedTo});
            EXPECT_EQ(r.h.shell.emptyKeepSeconds, std::vector<std::int64_t>{30 * kDay});
            EXPECT_EQ(r.h.journal.blocks.back().find("size-limit empty"), 20u);
        } else {
            EXPECT_TRUE(r.h.shell.emptyLimits.empty());
        }
        const bool told = r.form->Frame2.toolTip().rfind("The Trash holds ", 0) == 0;
        EXPECT_EQ(told, c.told) << r.form->Frame2.toolTip();
        EXPECT_EQ(r.pastLimitBalloons(), c.told ? 1u : 0u);
        r.h.shell.drives[0].items = 1;
        r.measured(c.m);  // the purge's own measure purges nothing
        r.tick(600);
        r.h.shell.drives[0].items = 1;
        r.measured(c.m);  // told once
        EXPECT_EQ(r.pastLimitBalloons(), c.told ? 1u : 0u);
        EXPECT_EQ(r.h.shell.emptyLimits.size(), c.purgedTo ? 2u : 0u);
    }
}

struct TrashSize : Running, ::testing::Test {};

TEST_F(TrashSize, MeasuredAtStartEveryTenMinutesAndOnShowAndOnlyTheLimitInForceCounts) {
    start("0", "0");
    const TrashMeasure overHalf = bins(3, GB / 2 + 1);
    tick();
    measured({});
    tick(599);
    EXPECT_TRUE(h.shell.measuresWaiting.empty()) << "not on every tick";
    tick();
    ASSERT_EQ(h.shell.measuresWaiting.size(), 1u);
    form->PushButton4.click();  // off while the bins are measured
    measured(overHalf);
    EXPECT_EQ(form->Frame2.toolTip(), "") << "no preview while off";

    form->PushButton4.click();
    form->Form.setFocus(form->Text5);
    form->Text5.setText("0.5");  // typed, not yet left
    tick();
    measured(overHalf);
    EXPECT_TRUE(h.shell.emptyLimits.empty()) << "a half-typed limit removes nothing";
    form->Form.setFocus(form->Text4);
    ASSERT_EQ(h.shell.measuresWaiting.size(), 1u) << "a new limit is acted on at once";
    measured(overHalf);
    EXPECT_EQ(h.shell.emptyLimits, std::vector<std::uint64_t>{GB / 2});
    EXPECT_EQ(h.settings.get("Max Trash GB"), "0.5");

    measured({});
    form->cSysTray1_MouseUp(0, 0);
    EXPECT_EQ(h.shell.measuresWaiting.size(), 1u) << "the window shown";
}

TEST_F(TrashSize, ThePreviewSaysWhatTheNextEmptyWillDoAfterAnyFailure) {
    start("30", "0");
    tick();
    measured(bins(1234, 2254857830, 56, 1000));
    EXPECT_EQ(form->Frame2.toolTip(),
              "The next empty will remove 1 234 items (2.1 GB) and keep 56 deleted in the last "
              "30 days.");
    form->TellScheduledEmpty("the disk went away.");
    EXPECT_EQ(form->Frame2.toolTip().rfind("The scheduled empty failed: the disk went away.\n"
                                           "The next empty will remove 1 234 items",
                                           0),
              0u);
}

}  // namespace
}  // namespace tw
