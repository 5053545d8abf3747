// The start-up sequence on fakes, with an empty store and with stored values of every kind.

#include <gtest/gtest.h>

#include "emptying/mod_clean_up.h"
#include "fakes/fakes.h"

namespace tw {
namespace {

struct FormLoad : ::testing::Test {
    test::Harness h;
    Form1& load() {
        Form1& form = h.make();
        form.Form_Load();
        return form;
    }
    std::vector<std::string> errorLines() const {
        std::vector<std::string> lines;
        for (const auto& box : h.boxes.shown) {
            const auto at = box.text.find("Form_Load at line ");
            if (at != std::string::npos) lines.push_back(box.text.substr(at + 18, 3));
        }
        return lines;
    }
};

TEST_F(FormLoad, AFreshInstallationShowsTheDefaults) {
    h.clock.set(2026, 12, 7, 14, 25, 36);
    Form1& form = load();
    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_EQ(form.Form.caption(), "Tidewell");
    EXPECT_EQ(form.AppTitle, "Tidewell");
    EXPECT_EQ(form.PushButton4.caption(), "Turn On");
    EXPECT_EQ(form.Frame2.caption(), "Off.");
    EXPECT_EQ(form.Timer1.interval(), 0);
    EXPECT_EQ(form.Check4.value(), 0);
    EXPECT_EQ(form.Check8.value(), 0);
    EXPECT_TRUE(form.Check8.visible());
    EXPECT_TRUE(form.Option3.value());
    EXPECT_EQ(form.Text3.text(), "1");
    EXPECT_EQ(form.Text11.text(), "0");
    EXPECT_EQ(form.Text2.text(), "0");
    EXPECT_EQ(form.cboWeekly.text(), "Monday");
    EXPECT_EQ(form.dtpWeekly.value(), (DateValue{std::nullopt, TimeOfDay{14, 25, 36}}));
    EXPECT_TRUE(form.cSysTray1.InTray());
    EXPECT_EQ(form.cSysTray1.TrayTip(), "Tidewell");
    EXPECT_FALSE(form.Loading);
    EXPECT_EQ(h.settings.get("Text11"), "0");
    EXPECT_EQ(h.settings.get("Text3"), "1");
    EXPECT_EQ(h.settings.get("Keep Days"), "0");
    EXPECT_EQ(h.settings.get("StartStopState"), "<missing>") << "the load stores no switch";
    EXPECT_TRUE(h.lifetime.ended.empty());
}

TEST_F(FormLoad, ASecondCopyEndsAtOnceTouchingNothing) {
    h.instance.another = true;
    Form1& form = load();
    EXPECT_EQ(h.lifetime.ended, std::vector<int>{0});
    EXPECT_TRUE(h.settings.writes.empty());
    EXPECT_TRUE(h.tray.calls.empty());
    EXPECT_EQ(form.Form.caption(), "Form1");
}

TEST_F(FormLoad, StoredValuesComeBackAndASwitchedOnScheduleCountsAtOnce) {
    h.clock.set(2026, 12, 7, 21, 0, 0);
    h.settings.put("StartStopState", "On");
    h.settings.put("Windows Startup", "On");
    h.settings.put("Option1", "False");
    h.settings.put("Option2", "True");
    h.settings.put("Option3", "False");
    h.settings.put("Weekly Time", "22:00:00");
    h.settings.put("Weekly", "Friday");
    h.settings.put("Text11", "5");
    h.files.existing = {"/usr/bin/tidewell"};
    h.startAtLogin.entries["tidewell"] = "/usr/bin/tidewell";  // another copy, still there
    Form1& form = load();
    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_EQ(form.PushButton4.caption(), "Turn Off");
    EXPECT_EQ(form.Timer1.interval(), 1000);
    EXPECT_EQ(form.Frame2.caption(), "On. Next empty will occur in:");
    EXPECT_TRUE(form.Option2.value());
    EXPECT_FALSE(form.cboWeekly.enabled());
    EXPECT_EQ(form.cboWeekly.text(), "Friday");
    EXPECT_EQ(form.Text11.text(), "5");
    EXPECT_EQ(form.Check4.value(), 1);
    EXPECT_EQ(h.startAtLogin.entries["tidewell"], "/usr/bin/tidewell") << "an entry that starts";
    EXPECT_EQ(form.SecondsToNextEmpty, 3600);
    EXPECT_EQ(form.SecondsElapsed, 0);
}

TEST_F(FormLoad, BadStoredValuesAreReportedWithTheirStepAndTheLoadGoesOn) {
    h.settings.put("StartStopState", "on");
    h.settings.put("Option1", "maybe");
    h.settings.put("Weekly Time", "teatime");
    h.settings.put("Weekly", "Caturday");
    h.settings.put("Text2", "lots");
    Form1& form = load();
    EXPECT_EQ(errorLines(), (std::vector<std::string>{"162", "168", "170"}));
    EXPECT_EQ(h.boxes.shown[0].title, "Application Error");
    EXPECT_NE(h.boxes.shown[0].text.find("Type mismatch"), std::string::npos);
    EXPECT_EQ(form.PushButton4.caption(), "Turn On");
    EXPECT_EQ(form.Frame2.caption(), "Off.") << "a switch in neither state is off";
    EXPECT_EQ(form.Timer1.interval(), 0);
    EXPECT_TRUE(form.Option3.value()) << "the option keeps its previous state";
    EXPECT_EQ(form.cboWeekly.listIndex(), -1);
    EXPECT_EQ(form.Text2.text(), "lots");
    EXPECT_FALSE(form.Loading);
}

TEST_F(FormLoad, KeptDaysThatAreNoNumberAreToldAndNoScheduledEmptyTakesThemAsZero) {
    h.settings.put("Keep Days", "-30");
    h.shell.drives = {{"/", DriveType::Fixed, 2}};
    Form1& form = load();
    EXPECT_EQ(form.Text4.text(), "-30") << "shown as stored, for the user to mend";
    const bool scheduled = true;
    for (const char* text : {"-30", "", "1e3", "0,5"}) {
        form.Text4.setText(text);
        modCleanUp::EmptyTrash(form, scheduled);
        EXPECT_EQ(h.shell.drives[0].items, 2) << text;
    }
    EXPECT_NE(form.Frame2.toolTip().find("Keep Recent Items"), std::string::npos) << "and why";
    ASSERT_EQ(h.boxes.shown.size(), 1u) << "told once, at the start";
    EXPECT_NE(h.boxes.shown[0].text.find("\"Keep Recent Items\""), std::string::npos);
}

TEST_F(FormLoad, OnlyOption3StoredAsZeroLeavesNoModeSelectedAndNothingScheduled) {
    h.settings.put("Option3", "0");
    h.settings.put("StartStopState", "On");
    Form1& form = load();
    EXPECT_FALSE(form.Option1.value() || form.Option2.value() || form.Option3.value());
    EXPECT_EQ(form.PushButton4.caption(), "Turn On") << "no countdown to run";
}

// While an error box of the load is open its event loop runs, and the switched-on timer ticks.
// Restoring the daily time has already counted the present second as due.
TEST_F(FormLoad, NoTickCountsWhileTheLoadReportsAFailingStep) {
    h.clock.set(2026, 12, 7, 21, 0, 0);
    h.shell.drives = {{"/", DriveType::Fixed, 3}};
    h.settings.put("StartStopState", "On");
    h.settings.put("Option2", "True");
    h.settings.put("Weekly Time", "21:00:00");
    h.settings.put("Weekly", "Caturday");
    Form1& form = h.make();
    h.boxes.whileOpen = [&] {
        for (int i = 0; i < 5; ++i) {
            h.clock.advance(1);
            form.Timer1.tick();
        }
    };
    form.Form_Load();
    EXPECT_EQ(errorLines(), std::vector<std::string>{"170"});
    EXPECT_TRUE(h.shell.calls.empty()) << "nothing queried, nothing emptied";
    EXPECT_EQ(form.SecondsToNextEmpty, 86400 - 5) << "measured when the load ends";
    EXPECT_EQ(form.SecondsElapsed, 0);
    EXPECT_EQ(form.PushButton4.caption(), "Turn Off");
    EXPECT_EQ(form.Timer1.interval(), 1000);
}

// A daily empty at a time nobody chose would empty the Trash within seconds of the start.
TEST_F(FormLoad, ADailyScheduleWithoutAReadableTimeIsToldOnceAndEmptiesNothing) {
    for (const char* time : {"<missing>", "25:99"}) {
        SCOPED_TRACE(time);
        test::Harness fresh;
        fresh.shell.drives = {{"/", DriveType::Fixed, 3}};
        fresh.settings.put("StartStopState", "On");
        fresh.settings.put("Option2", "True");
        if (std::string(time) != "<missing>") fresh.settings.put("Weekly Time", time);
        for (int start = 0; start < 2; ++start) {  // the next start (at login) too
            Form1& form = fresh.make();
            form.Form_Load();
            for (int i = 0; i < 5; ++i) {
                fresh.clock.advance(1);
                form.Timer1.tick();
            }
            EXPECT_EQ(form.PushButton4.caption(), "Turn On");
            EXPECT_EQ(form.Frame2.caption(), "Off.");
        }
        EXPECT_TRUE(fresh.shell.calls.empty()) << "nothing queried, nothing emptied";
        ASSERT_EQ(fresh.boxes.shown.size(), 1u) << "told once";
        EXPECT_NE(fresh.boxes.shown[0].text.find("turned off"), std::string::npos)
            << "and told why: " << fresh.boxes.shown[0].text;
        EXPECT_EQ(fresh.settings.get("StartStopState"), "Off");
        EXPECT_EQ(fresh.settings.get("Weekly Time"), "09:00:00") << "what the picker shows";
    }
}

TEST_F(FormLoad, AFirstCountdownThatFailsIsReportedOnceAndTheScheduleStaysOff) {
    h.shell.drives = {{"/", DriveType::Fixed, 3}};
    h.settings.put("StartStopState", "On");
    h.settings.put("Text11", "99999999999");
    Form1& form = h.make();
    const auto tick = [&](int n) {
        for (int i = 0; i < n; ++i) {
            h.clock.advance(1);
            form.Timer1.tick();
        }
    };
    // Each way stops it on its own: a tick inside the box, and the load's end without one.
    {
        test::Harness quiet;
        quiet.settings.values = h.settings.values;
        Form1& other = quiet.make();
        other.Form_Load();
        EXPECT_EQ(other.Timer1.interval(), 0) << "off when the load ends, before any tick";
    }
    bool offInBox = false;
    h.boxes.whileOpen = [&] {
        tick(3);
        offInBox = form.Timer1.interval() == 0;
    };
    form.Form_Load();
    EXPECT_TRUE(offInBox) << "a tick without a countdown stops the schedule";
    tick(12);
    EXPECT_EQ(errorLines(), std::vector<std::string>{"178"});
    EXPECT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_NE(h.boxes.shown[0].text.find("Overflow"), std::string::npos);
    EXPECT_TRUE(h.shell.calls.empty()) << "nothing queried, nothing emptied";
    EXPECT_FALSE(form.Loading);
    EXPECT_EQ(form.PushButton4.caption(), "Turn On");
    EXPECT_EQ(form.Frame2.caption(), "Off.");
    EXPECT_EQ(form.Timer1.interval(), 0);
    EXPECT_EQ(h.settings.get("StartStopState"), "On") << "the next start tries again";

    // A negative count read back from the store is no schedule either.
    form.Text11.setText("-5");
    form.PushButton4.click();
    EXPECT_EQ(form.Text11.text(), "0");
    EXPECT_EQ(form.SecondsToNextEmpty, 86400);
    tick(3);
    EXPECT_TRUE(h.shell.calls.empty());
}

TEST_F(FormLoad, AnUnreadableTimeIsReportedAtOneStartOnly) {
    h.settings.put("Option1", "True");
    h.settings.put("Weekly Time", "12/07/2026");
    load();
    EXPECT_EQ(errorLines(), std::vector<std::string>{"168"});
    EXPECT_EQ(h.settings.get("Weekly Time"), "09:00:00") << "the time the picker now shows";
    h.boxes.shown.clear();
    load();
    EXPECT_TRUE(h.boxes.shown.empty());
}

// The setting alone starts nothing: an uninstaller may have taken the entry, or the program
// moved. The entry is made to start this copy, or the box shows that nothing starts.
TEST_F(FormLoad, AStartAtLoginEntryThatStartsNothingIsWrittenAgainOrShownAsItIs) {
    struct Case {
        const char* entry;  // nullptr: none
        bool failing;
    };
    for (const Case c :
         {Case{nullptr, false}, Case{"/home/old/tidewell", false}, Case{nullptr, true}}) {
        SCOPED_TRACE(c.entry ? c.entry : "no entry");
        test::Harness fresh;
        fresh.settings.put("Windows Startup", "On");
        if (c.entry) fresh.startAtLogin.entries["tidewell"] = c.entry;
        fresh.startAtLogin.failing = c.failing;
        Form1& form = fresh.make();
        form.Form_Load();
        if (!c.failing) {
            EXPECT_TRUE(fresh.boxes.shown.empty());
            EXPECT_EQ(fresh.startAtLogin.entries["tidewell"], "/opt/tidewell/tidewell");
            EXPECT_EQ(form.Check4.value(), 1);
            continue;
        }
        ASSERT_EQ(fresh.boxes.shown.size(), 1u);
        EXPECT_NE(fresh.boxes.shown[0].text.find("Permission denied"), std::string::npos);
        EXPECT_EQ(form.Check4.value(), 0);
        EXPECT_EQ(fresh.settings.get("Windows Startup"), "Off") << "told at one start only";
    }
}

TEST_F(FormLoad, SkinAndPointerFilesNextToTheProgramAreUsedWhenPresent) {
    h.files.existing = {"/opt/tidewell/x/o.cjs", "/opt/tidewell/HAND-M.CUR"};
    Form1& form = load();
    EXPECT_EQ(h.skin.calls,
              (std::vector<std::string>{"load /opt/tidewell/x/o.cjs []", "options 1",
                                        "option 5 true", "option 10 true", "apply 1"}));
    EXPECT_EQ(form.Form.backColor(), controls::kButtonFace);
    EXPECT_EQ(form.Option1.backColor(), controls::kButtonFace);
    EXPECT_EQ(form.Label3.backColor(), controls::kButtonFace);
    EXPECT_EQ(form.Text11.backColor(), controls::kWhite);
    EXPECT_EQ(h.cursors.loaded, std::vector<std::string>{"/opt/tidewell/HAND-M.CUR"});
    EXPECT_TRUE(form.Form.hasCustomPointer());
}

TEST_F(FormLoad, UnreadableSkinOrCursorIsReportedAndTheWindowStaysUsable) {
    h.files.existing = {"/opt/tidewell/x/o.cjs", "/opt/tidewell/HAND-M.CUR"};
    h.skin.failLoad = true;
    h.cursors.fail = true;
    Form1& form = load();
    EXPECT_EQ(errorLines(), (std::vector<std::string>{"106", "110"}));
    EXPECT_FALSE(form.Form.hasCustomPointer());
    EXPECT_EQ(form.Form.caption(), "Tidewell");
}

TEST_F(FormLoad, NoSkinMeansAWhiteWindowAndNoSkinCalls) {
    Form1& form = load();
    EXPECT_TRUE(h.skin.calls.empty());
    EXPECT_TRUE(h.cursors.loaded.empty());
    EXPECT_EQ(form.Form.backColor(), controls::kWhite);
}

}  // namespace
}  // namespace tw
