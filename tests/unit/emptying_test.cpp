// The drive walk and EmptyTrash on a fake shell.

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "emptying/mod_clean_up.h"
#include "fakes/fakes.h"

namespace tw {
namespace {

using Calls = std::vector<std::string>;

std::string why;  // the last walk's failure
bool walk(test::FakeRecycleBinShell& shell, WindowHandle activeForm = 1) {
    EmptyReport report;
    return modCleanUp::detail::EmptyDriveBins(shell, activeForm, {}, report, why);
}

TEST(EmptyDriveBins, QueriesFixedDrivesOnlyAndEmptiesAllBinsOnce) {
    test::FakeRecycleBinShell shell;
    shell.drives = {{"A:\\", DriveType::Removable, 9},
                    {"C:\\", DriveType::Fixed, 0},
                    {"D:\\", DriveType::Fixed, 4},
                    {"E:\\", DriveType::Fixed, 0},
                    {"Z:\\", DriveType::Remote, 9}};
    EXPECT_TRUE(walk(shell));
    EXPECT_EQ(shell.calls,
              (Calls{"list 260", "type A:\\", "type C:\\", "query C:\\", "type D:\\", "query D:\\",
                     "type E:\\", "query E:\\", "type Z:\\", "empty all 7", "icon"}));
    EXPECT_EQ(shell.emptyOwners, std::vector<WindowHandle>{1});
}

TEST(EmptyDriveBins, NoFixedDriveOrNoDrivesAtAllIsAFailure) {
    test::FakeRecycleBinShell shell;
    EXPECT_FALSE(walk(shell));
    shell.drives = {{"/media/usb", DriveType::Removable, 3}, {"/mnt/cd", DriveType::CdRom, 0}};
    EXPECT_FALSE(walk(shell));
    EXPECT_EQ(shell.drives[0].items, 3);
}

TEST(EmptyDriveBins, ALongDriveListIsReadWholeNeverCutAt260) {
    test::FakeRecycleBinShell shell;
    for (int i = 0; i < 40; ++i) {
        shell.drives.push_back({"/srv/volume-number-" + std::to_string(i), DriveType::Fixed, 0});
    }
    shell.drives.back().items = 1;
    EXPECT_TRUE(walk(shell));
    EXPECT_EQ(shell.calls[0], "list 260");
    EXPECT_EQ(shell.calls[1].rfind("list ", 0), 0u) << "asked again with the length needed";
    EXPECT_EQ(shell.drives.back().items, 0) << "the last drive was reached";
}

TEST(EmptyDriveBins, AFailureEndsTheWalkAndIsNeverDone) {
    test::FakeRecycleBinShell shell;
    shell.drives = {{"/", DriveType::Fixed, 0}, {"/home", DriveType::Fixed, 0x7FFFFFFF}};
    shell.drives[1].items = (std::int64_t{0x7FFFFFFF} << 32) | 0x7FFFFFFF;  // halves overflow
    shell.drives[0].items = 1;
    EXPECT_FALSE(walk(shell)) << "the bin of /home was never emptied";
    EXPECT_EQ(why, "Overflow.");
    EXPECT_EQ(shell.calls.back(), "query /home");
    EXPECT_EQ(shell.drives[0].items, 1) << "nothing goes before every bin was counted";

    shell.calls.clear();
    EXPECT_FALSE(walk(shell, 0)) << "no active form";
    EXPECT_TRUE(shell.calls.empty());

    shell.throwOnList = true;
    EXPECT_FALSE(walk(shell));
}

TEST(EmptyDriveBins, AnEmptyThatLeftItemsBehindIsNotReportedAsDone) {
    test::FakeRecycleBinShell shell;
    shell.drives = {{"/", DriveType::Fixed, 2}};
    shell.emptyResult = kShellFail;
    EXPECT_FALSE(walk(shell));
}

struct EmptyTrashTest : ::testing::Test {
    test::Harness h;
    Form1* form = nullptr;
    void SetUp() override {
        form = &h.make();
        form->AppTitle = "Tidewell";
        form->Text4.setText("0");  // as a fresh start loads it
    }
};

TEST_F(EmptyTrashTest, ReportsTheOutcomeWithBusyPointerAndTimerOffWhileTheBoxIsUp) {
    h.shell.drives = {{"/", DriveType::Fixed, 1}};
    bool busyWhileOpen = false;
    h.boxes.whileOpen = [&] {
        busyWhileOpen = form->Form.mousePointer() == 11 && !form->Timer1.timerEnabled() &&
                        form->Frame2.caption() == "Deleting files from Recycling Bin... ";
    };
    const bool silent = false;
    modCleanUp::EmptyTrash(*form, silent);
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].text, "Done.");
    EXPECT_EQ(h.boxes.shown[0].title, "Tidewell");
    EXPECT_EQ(h.boxes.shown[0].icon, MsgIcon::None);
    EXPECT_TRUE(busyWhileOpen);
    EXPECT_EQ(form->Frame2.caption(), "Off.");
    EXPECT_EQ(form->Form.mousePointer(), 0);
    EXPECT_TRUE(form->Timer1.timerEnabled());
    EXPECT_EQ(form->Timer1.interval(), 0) << "a stopped schedule stays stopped";
}

TEST_F(EmptyTrashTest, FailureIsShownUnlessSilentAndTheWindowIsRestoredEitherWay) {
    h.shell.drives = {{"/", DriveType::Fixed, 1}};
    h.shell.emptyResult = kShellFail;
    const bool loud = false, silent = true;
    modCleanUp::EmptyTrash(*form, loud);
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.boxes.shown[0].text, "Error encountered while emptying files in Recycle Bin.");

    form->Form.setMousePointer(99);
    modCleanUp::EmptyTrash(*form, silent);
    EXPECT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(form->Form.mousePointer(), 0);
    EXPECT_EQ(form->Frame2.caption(), "Off.");
}

TEST_F(EmptyTrashTest, OnlyAScheduledEmptyKeepsTheRecentDaysTheBoxHoldsAsItStartsOrHeld) {
    h.shell.drives = {{"/", DriveType::Fixed, 1}};
    const bool scheduled = true, asked = false;
    form->Text4.setText("0.5");
    modCleanUp::EmptyTrash(*form, scheduled);
    h.shell.drives[0].items = 1;
    modCleanUp::EmptyTrash(*form, asked);
    form->Text4.setText("0.000001");  // under a second, still a floor
    h.shell.drives[0].items = 1;
    modCleanUp::EmptyTrash(*form, scheduled);
    // Longer than any bin's dates go back, yet countable in 100 ns units.
    form->Text4.setText(std::string(300, '9'));
    h.shell.drives[0].items = 1;
    modCleanUp::EmptyTrash(*form, scheduled);
    const std::int64_t day = 86400;
    const std::vector<std::int64_t> expected = {day / 2, 0, 1, -1};
    ASSERT_EQ(h.shell.emptyKeepSeconds.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] < 0) continue;  // the longest floor, below
        EXPECT_EQ(h.shell.emptyKeepSeconds[i], expected[i]) << i;
    }
    EXPECT_EQ(h.shell.emptyKeepSeconds[1], 0) << "asked for: nothing kept back";
    EXPECT_GT(h.shell.emptyKeepSeconds[3], std::int64_t{500} * 366 * 86400);
    EXPECT_LT(h.shell.emptyKeepSeconds[3], std::numeric_limits<std::int64_t>::max() / 10'000'000);
}

// Typed over as the countdown runs out: until the focus leaves the box, a scheduled empty keeps
// at least the floor last in force (loaded, or left in the box), also while the box holds no
// number or the warning has taken the focus back; where none was in force, nothing goes.
TEST(HalfTypedFloor, NeverRemovesMoreThanTheFloorInForce) {
    const std::int64_t day = 86400;
    const struct {
        const char* stored;
        const char* leftWith;  // typed before the focus left the box once; none: never left
        const char* typed;
        std::optional<std::int64_t> floor;
    } cases[] = {
        {"abc", nullptr, "0", std::nullopt}, {"abc", nullptr, "0.5", std::nullopt},
        {"2", nullptr, "0", 2 * day},        {"2", nullptr, "", 2 * day},
        {"2", nullptr, "5", 5 * day},        {"30", "", "3", 30 * day},
        {"30", "x", "0", 30 * day},          {"0.5", "2", "1", 2 * day},
        {"abc", "0.5", "0", day / 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " / " + (c.leftWith ? c.leftWith : "-") + " / " +
                     c.typed);
        test::Harness h;
        h.settings.put("Keep Days", c.stored);
        Form1& form = h.make();
        form.Form_Load();
        form.Form.setFocus(form.Text4);
        if (c.leftWith) {
            form.Text4.setText(c.leftWith);
            form.Form.setFocus(form.Text3);  // a warning takes the focus back
            form.Form.setFocus(form.Text4);
        }
        form.Text4.setText(c.typed);
        h.shell.drives = {{"/", DriveType::Fixed, 1}};
        h.shell.emptyKeepSeconds.clear();
        modCleanUp::EmptyTrash(form, true);
        if (c.floor) {
            EXPECT_EQ(h.shell.emptyKeepSeconds, std::vector<std::int64_t>{*c.floor});
        } else {
            EXPECT_TRUE(h.shell.emptyKeepSeconds.empty()) << "no floor in force: nothing goes";
        }
    }
}

TEST_F(EmptyTrashTest, AnsweringNoEmptiesNothingAndChangesNothing) {
    h.shell.drives = {{"/", DriveType::Fixed, 4}};
    h.boxes.answers = {MsgAnswer::No};
    form->Frame2.setCaption("status before");
    form->PushButton2.click();
    EXPECT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_EQ(h.shell.drives[0].items, 4);
    EXPECT_EQ(form->Frame2.caption(), "status before");
}

TEST_F(EmptyTrashTest, HoverPointersNeverReplaceTheHourglass) {
    h.shell.drives = {{"/", DriveType::Fixed, 1}};
    int pointerWhileOpen = -1;
    h.boxes.whileOpen = [&] {
        form->PushButton1.mouseMove();
        form->Frame3.mouseMove();
        form->Text2.mouseMove();
        form->Form.mouseMove();
        pointerWhileOpen = form->Form.mousePointer();
    };
    const bool loud = false;
    modCleanUp::EmptyTrash(*form, loud);
    EXPECT_EQ(pointerWhileOpen, 11);

    form->PushButton4.mouseMove();
    EXPECT_EQ(form->Form.mousePointer(), 99);
    form->Option1.mouseMove();
    EXPECT_EQ(form->Form.mousePointer(), 99) << "option buttons keep the last pointer";
    form->Frame4.mouseMove();
    EXPECT_EQ(form->Form.mousePointer(), 0);
}

TEST_F(EmptyTrashTest, EveryEmptyIsJournalledEvenOneThatStoppedHalfWay) {
    EmptyPlace home;
    home.place = "/home/ann/.local/share/Trash";
    home.removed = 1;
    home.removedItems = {{"/home/ann/gone.txt"}};
    h.shell.reportToGive.places = {home};
    h.shell.throwOnEmpty = true;
    h.shell.drives = {{"/", DriveType::Fixed, 2}};
    const bool scheduled = true, asked = false;
    modCleanUp::EmptyTrash(*form, scheduled);
    h.shell.throwOnEmpty = false;
    modCleanUp::EmptyTrash(*form, asked);

    ASSERT_EQ(h.journal.blocks.size(), 2u);
    const std::string& halfWay = h.journal.blocks[0];
    EXPECT_NE(halfWay.find("scheduled"), std::string::npos);
    EXPECT_NE(halfWay.find("/home/ann/gone.txt"), std::string::npos) << "what went before";
    EXPECT_NE(halfWay.find("the disk went away"), std::string::npos) << "why it stopped";
    EXPECT_NE(h.journal.blocks[1].find("asked"), std::string::npos);
}

// With a short interval an empty runs every second: those that find nothing to remove share
// one line, which tells how many and the last; an empty that removes something ends the run.
TEST_F(EmptyTrashTest, EmptiesInARowThatFindNothingShareOneLine) {
    h.shell.drives = {{"/", DriveType::Fixed, 0}};
    const bool scheduled = true;
    const auto emptyAt = [&](int second) {
        h.clock.set(2026, 12, 7, 22, 0, second);
        modCleanUp::EmptyTrash(*form, scheduled);
    };
    for (int second : {1, 2, 3}) emptyAt(second);
    ASSERT_EQ(h.journal.blocks.size(), 1u);
    EXPECT_EQ(std::count(h.journal.blocks[0].begin(), h.journal.blocks[0].end(), '\n'), 2);
    EXPECT_TRUE(h.journal.blocks[0].starts_with("2026-12-07T22:00:01 3 ")) << h.journal.blocks[0];
    EXPECT_NE(h.journal.blocks[0].find("2026-12-07T22:00:03"), std::string::npos);

    EmptyPlace home;
    home.place = "/home/ann/.local/share/Trash";
    home.removed = 1;
    h.shell.reportToGive.places = {home};
    h.shell.drives[0].items = 1;
    emptyAt(4);
    h.shell.reportToGive.places.clear();
    emptyAt(5);
    ASSERT_EQ(h.journal.blocks.size(), 3u);
    EXPECT_NE(h.journal.blocks[1].find("removed 1"), std::string::npos);
    EXPECT_TRUE(h.journal.blocks[2].starts_with("2026-12-07T22:00:05 scheduled"));
}

// A journal that can't be written must neither stop an empty nor change its outcome. The user
// hears of it once a run: after an asked empty in a box, after a scheduled one never in a box
// (nobody may be there to close it) but at the tray icon, or else after the next asked empty.
TEST_F(EmptyTrashTest, AJournalThatCantBeWrittenIsToldOnceAndNeverFailsTheEmpty) {
    h.journal.trouble = "/state/tidewell/journal.log could not be opened (Is a directory)";
    h.shell.drives = {{"/", DriveType::Fixed, 1}};
    const bool scheduled = true, asked = false;
    modCleanUp::EmptyTrash(*form, scheduled);  // no tray icon to tell it at
    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_EQ(h.shell.drives[0].items, 0);
    EXPECT_EQ(form->Frame2.toolTip(), "") << "the empty went well";

    for (int i = 0; i < 2; ++i) {
        h.shell.drives[0].items = 1;
        modCleanUp::EmptyTrash(*form, asked);
    }
    ASSERT_EQ(h.boxes.shown.size(), 3u);
    EXPECT_EQ(h.boxes.shown[0].text, "Done.");
    EXPECT_NE(h.boxes.shown[1].text.find(h.journal.trouble), std::string::npos);
    EXPECT_EQ(h.boxes.shown[1].icon, MsgIcon::Warning);
    EXPECT_EQ(h.boxes.shown[2].text, "Done.") << "told once a run";
    EXPECT_EQ(h.journal.appends, 3) << "every empty tries again";
}

TEST_F(EmptyTrashTest, AfterAScheduledEmptyAnUnwritableJournalIsToldAtTheTrayIcon) {
    form->cSysTray1.setInTray(true);
    h.shell.drives = {{"/", DriveType::Fixed, 0}};
    h.journal.trouble = "its folder /state/tidewell could not be made (Permission denied)";
    const bool scheduled = true;
    modCleanUp::EmptyTrash(*form, scheduled);
    modCleanUp::EmptyTrash(*form, scheduled);
    EXPECT_TRUE(h.boxes.shown.empty());
    int balloons = 0;
    for (const auto& call : h.tray.calls) {
        const auto info = call.fields().szInfo;
        if (info && info->find("Permission denied") != std::string::npos) ++balloons;
    }
    EXPECT_EQ(balloons, 1);
}

// "Show Journal" shows the journal where there is one, and otherwise says where it will be.
TEST(ShowJournal, OpensTheJournalOrSaysWhereItIsKept) {
    const struct {
        const char* where;
        bool exists, opens;
        bool shown;         // handed to the viewer
        const char* boxed;  // in the box, when one is shown
    } cases[] = {
        {"/j/journal.log", true, true, true, nullptr},
        {"/j/journal.log", false, true, false, "/j/journal.log"},
        {"/j/journal.log", true, false, true, "/j/journal.log"},
        {"", false, true, false, "no folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.where) + (c.exists ? " exists" : " missing"));
        test::Harness h;
        h.journal.where = c.where;
        if (c.exists) h.files.existing.push_back(c.where);
        h.viewer.opens = c.opens;
        h.make().PushButton5.click();
        EXPECT_EQ(h.viewer.shown,
                  c.shown ? std::vector<std::string>{c.where} : std::vector<std::string>{});
        ASSERT_EQ(h.boxes.shown.size(), c.boxed ? 1u : 0u);
        if (c.boxed) {
            EXPECT_NE(h.boxes.shown[0].text.find(c.boxed), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace tw
