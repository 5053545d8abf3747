#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/fake_event_loop.h"
#include "fakes/fake_notification_area.h"
#include "fakes/fake_window_hook.h"
#include "runtime/errors.h"
#include "tray/c_sys_tray.h"
#include "tray/m_sys_tray.h"
#include "tray/shell_record.h"

namespace tw {
namespace {

using test::FakeNotificationArea;
using test::FakeWindowHook;
using test::SteppedClock;
using test::SteppedPump;

constexpr WindowHandle kWindow = 2;
const Picture kIcon{Picture::Type::Icon, 1};
const Picture kOtherIcon{Picture::Type::Icon, 77};

class MemoryBag : public PropertyBag {
  public:
    std::optional<bool> readBool(const std::string& name) override { return find(bools, name); }
    std::optional<Picture> readPicture(const std::string& name) override {
        return find(pictures, name);
    }
    std::optional<std::string> readString(const std::string& name) override {
        return find(strings, name);
    }
    std::map<std::string, bool> bools;
    std::map<std::string, Picture> pictures;
    std::map<std::string, std::string> strings;

  private:
    template <typename T>
    static std::optional<T> find(const std::map<std::string, T>& m, const std::string& name) {
        const auto it = m.find(name);
        return it == m.end() ? std::nullopt : std::optional<T>(it->second);
    }
};

class TrayControl : public ::testing::Test {
  protected:
    void SetUp() override {
        area.log = &log;
        hook.log = &log;
        tray = make();
    }

    std::unique_ptr<cSysTray> make(WindowHandle window = kWindow) {
        auto control =
            std::make_unique<cSysTray>(cSysTray::Services{area, hook, pump, clock}, window, kIcon);
        control->PropertyChanged = [this](const std::string& name) { changes.push_back(name); };
        control->MouseUp = [this](std::int16_t button, std::int32_t id) {
            events.push_back("up " + std::to_string(button) + " " + std::to_string(id));
        };
        return control;
    }

    // The control as the main window's load leaves it: tip set, icon shown.
    void show() {
        tray->setTrayIcon(kIcon);
        tray->setTrayTip("Tidewell");
        tray->setInTray(true);
        log.clear();
        area.calls.clear();
        changes.clear();
    }

    // What the shell shows for the control after every call so far: whether the icon is
    // there, its icon and its tip (the bits of uFlags as the shell reads them).
    struct Shown {
        bool there = false;
        std::uint32_t icon = 0;
        std::string tip;
        bool operator==(const Shown&) const = default;
    };
    Shown shownInTheTray() const {
        Shown shown;
        for (const auto& call : area.calls) {
            const ShellRecordFields f = call.fields();
            if (call.message == kNimDelete) shown = {};
            if (call.message == kNimAdd) shown.there = true;
            if (f.uFlags & 0x02) shown.icon = f.hIcon;
            if (f.uFlags & 0x04) shown.tip = f.szTip.value_or("");
        }
        return shown;
    }

    // The shell's callback, delivered the way the notification area delivers it.
    void shellSays(std::uint32_t code) { hook.sendMessage(kWindow, kTrayCallbackMessage, 0, code); }

    std::vector<std::string> log;
    std::vector<std::string> changes;
    std::vector<std::string> events;
    FakeNotificationArea area;
    FakeWindowHook hook;
    SteppedClock clock;
    SteppedPump pump{clock};
    std::unique_ptr<cSysTray> tray;
};

TEST_F(TrayControl, InTrayHooksTheWindowBeforeAddingAndUnhooksAfterDeleting) {
    tray->setTrayTip("Tidewell");
    tray->setTrayIcon(kIcon);
    log.clear();
    changes.clear();

    tray->setInTray(true);
    EXPECT_EQ(log, (std::vector<std::string>{"setWindowProc 2", "setUserData 2", "shell add"}));
    ASSERT_EQ(area.calls.size(), 1u);
    EXPECT_EQ(area.calls[0].fields(), addIconRecord(kWindow, 0, kIcon.handle, "Tidewell"));
    EXPECT_TRUE(tray->iconAdded());
    EXPECT_EQ(changes, std::vector<std::string>{"InTray"});

    // A second true changes nothing and tells nobody.
    tray->setInTray(true);
    EXPECT_EQ(log.size(), 3u);
    EXPECT_EQ(changes.size(), 1u);

    log.clear();
    tray->setInTray(false);
    EXPECT_EQ(log, (std::vector<std::string>{"shell delete", "setWindowProc 2"}));
    EXPECT_EQ(area.calls.back().fields(), deleteIconRecord(kWindow, 0));
    EXPECT_EQ(hook.windowProc(kWindow), &WindowTable::DefaultWindowProc);
    EXPECT_FALSE(tray->iconAdded());
    EXPECT_FALSE(tray->InTray());
    EXPECT_EQ(changes, (std::vector<std::string>{"InTray", "InTray"}));
}

TEST_F(TrayControl, OutOfTrayWithoutAnIconTouchesNeitherShellNorWindow) {
    tray->setInTray(false);  // never set true
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(changes.empty());

    // Design mode: the wish is recorded, nothing is shown or hooked either way.
    tray->setUserMode(false);
    tray->setInTray(true);
    EXPECT_TRUE(tray->InTray());
    EXPECT_FALSE(tray->iconAdded());
    tray->setTrayTip("tip");
    tray->setTrayIcon(kOtherIcon);
    tray->setInTray(false);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(changes, (std::vector<std::string>{"InTray", "TrayTip", "TrayIcon", "InTray"}));
}

TEST_F(TrayControl, OnlyIconPicturesAreTaken) {
    show();
    for (const Picture& p : {Picture{Picture::Type::Bitmap, 5}, Picture{Picture::Type::Metafile, 6},
                             Picture{Picture::Type::None, 0}}) {
        tray->setTrayIcon(p);
    }
    tray->setTrayIcon(std::nullopt);
    EXPECT_TRUE(area.calls.empty());
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(tray->TrayIcon(), kIcon);

    tray->setTrayIcon(kOtherIcon);
    ASSERT_EQ(area.calls.size(), 1u);
    EXPECT_EQ(area.calls[0].message, kNimModify);
    EXPECT_EQ(area.calls[0].fields(), modifyIconRecord(kWindow, 0, kOtherIcon.handle));
    EXPECT_EQ(tray->TrayIcon(), kOtherIcon);
    EXPECT_EQ(changes, std::vector<std::string>{"TrayIcon"});
}

TEST_F(TrayControl, TipChangesReachTheShellOnlyWhileShown) {
    tray->setTrayIcon(kIcon);
    tray->setTrayTip("");
    EXPECT_TRUE(area.calls.empty());
    tray->setInTray(true);
    // Added without a tip: the tip flag stays out.
    EXPECT_EQ(area.calls.back().fields().uFlags, kNifMessage | kNifIcon);

    tray->setTrayTip("Tidewell");
    tray->setTrayTip("");
    EXPECT_EQ(area.calls.back().message, kNimModify);
    EXPECT_EQ(area.calls.back().fields(), modifyTipRecord(kWindow, 0, ""));
    EXPECT_EQ(tray->TrayTip(), "");
}

TEST_F(TrayControl, PersistedPropertiesAreShownAndMissingOnesTakeTheirDefaults) {
    MemoryBag bag;
    bag.bools["InTray"] = true;
    bag.pictures["TrayIcon"] = kOtherIcon;
    bag.strings["TrayTip"] = "Saved tip";
    tray->readProperties(bag);
    EXPECT_EQ(shownInTheTray(), (Shown{true, kOtherIcon.handle, "Saved tip"}));

    MemoryBag empty;
    auto fresh = make(5);
    fresh->readProperties(empty);
    EXPECT_FALSE(fresh->InTray());
    EXPECT_EQ(fresh->TrayIcon(), kIcon);  // the control's own picture
    EXPECT_EQ(fresh->TrayTip(), "Vorede Vovode");

    auto placed = make(6);
    placed->initProperties();
    EXPECT_EQ(placed->TrayTip(), "Vorede Vovode");
    EXPECT_EQ(placed->TrayIcon(), kIcon);
    EXPECT_FALSE(placed->InTray());
}

TEST_F(TrayControl, DecodesTheShellsNotifications) {
    tray->MouseMove = [this](std::int32_t id) { events.push_back("move " + std::to_string(id)); };
    tray->MouseDown = [this](std::int16_t b, std::int32_t id) {
        events.push_back("down " + std::to_string(b) + " " + std::to_string(id));
    };
    tray->MouseDblClick = [this](std::int16_t b, std::int32_t id) {
        events.push_back("dbl " + std::to_string(b) + " " + std::to_string(id));
    };
    show();

    const std::vector<std::pair<std::uint32_t, std::string>> table = {
        {0x200, "move 0"},   {0x201, "down 1 0"}, {0x202, "up 1 0"},  {0x203, "dbl 1 0"},
        {0x204, "down 2 0"}, {0x205, "up 2 0"},   {0x206, "dbl 2 0"},
    };
    for (const auto& [code, expected] : table) {
        events.clear();
        shellSays(code);
        EXPECT_EQ(events, std::vector<std::string>{expected}) << std::hex << code;
    }
    // The middle button, the balloon's appearance and unknown codes raise nothing.
    events.clear();
    for (std::uint32_t code : {0x207u, 0x208u, 0x209u, 0x402u, 0x0u, 0x406u, 0xFFFFFFFFu}) {
        shellSays(code);
    }
    EXPECT_TRUE(events.empty());

    // The icon identifier is passed through as Id.
    tray->HandleTrayMessage(0x202, 9);
    EXPECT_EQ(events, std::vector<std::string>{"up 1 9"});
}

TEST_F(TrayControl, BalloonEndCodesClearThePendingBalloonSilently) {
    show();
    for (std::uint32_t code : {0x403u, 0x404u, 0x405u}) {
        tray->ShowBalloon("text", "title", 0, false);
        EXPECT_TRUE(tray->balloonPending());
        shellSays(code);
        EXPECT_FALSE(tray->balloonPending()) << std::hex << code;
    }
    EXPECT_TRUE(events.empty());
}

TEST_F(TrayControl, ShowOnceShowsOneBalloonPerControl) {
    show();
    tray->ShowBalloon("first", "Tidewell", 0, true);
    tray->ShowBalloon("second", "Tidewell", 0, true);
    ASSERT_EQ(area.calls.size(), 1u);
    EXPECT_EQ(area.calls[0].fields(), balloonRecord(kWindow, 0, "first", "Tidewell", 0));

    // Balloons not limited to once always show and use up nothing.
    tray->ShowBalloon("a", "t", 0, false);
    tray->ShowBalloon("b", "t", -3, false);
    tray->ShowBalloon("third", "Tidewell", 0, true);
    EXPECT_EQ(area.calls.size(), 3u);
    EXPECT_EQ(area.calls[2].fields().uTimeout, 0u);

    auto other = make(3);
    other->ShowBalloon("own count", "t", 0, true);
    EXPECT_EQ(area.calls.size(), 4u);
}

TEST_F(TrayControl, WithoutATimeTheBalloonIsLeftToTheShell) {
    show();
    tray->ShowBalloon("text", "title", 0, false);
    EXPECT_TRUE(pump.waits.empty());
    EXPECT_EQ(pump.processed, 0);
    EXPECT_EQ(area.calls.size(), 1u);
    EXPECT_TRUE(tray->balloonPending());
}

TEST_F(TrayControl, TimedOutWaitTakesTheBalloonDown) {
    show();
    const double start = clock.seconds;
    tray->ShowBalloon("text", "Tidewell", 5, true);
    EXPECT_GE(clock.seconds - start, 5.0);

    ASSERT_EQ(area.calls.size(), 2u);
    const ShellRecordFields shown = balloonRecord(kWindow, 0, "text", "Tidewell", 5000);
    EXPECT_EQ(area.calls[0].fields(), shown);
    EXPECT_EQ(area.calls[1].message, kNimModify);
    EXPECT_EQ(area.calls[1].fields(), clearedBalloonRecord(shown));
    EXPECT_TRUE(tray->balloonPending());  // until the shell says the balloon is gone

    // The wait sleeps on the pump for the time still left, never polls.
    ASSERT_FALSE(pump.waits.empty());
    EXPECT_EQ(pump.waits.front(), 5.0);
    for (std::size_t i = 1; i < pump.waits.size(); ++i) {
        EXPECT_DOUBLE_EQ(pump.waits[i], 5.0 - 0.5 * static_cast<double>(i));
    }
    EXPECT_EQ(pump.processed, 0);
}

class TrayBalloonEnd : public TrayControl, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(TrayBalloonEnd, EndsTheWaitEarlyWithoutClearing) {
    show();
    pump.after(1.0, [this] { shellSays(GetParam()); });
    const double start = clock.seconds;
    tray->ShowBalloon("text", "Tidewell", 5, false);
    EXPECT_LT(clock.seconds - start, 2.0);
    EXPECT_EQ(area.calls.size(), 1u);
    EXPECT_FALSE(tray->balloonPending());
}

INSTANTIATE_TEST_SUITE_P(HideTimeoutClick, TrayBalloonEnd,
                         ::testing::Values(0x403u, 0x404u, 0x405u));

TEST_F(TrayControl, OverlongDisplayTimeIsAnOverflowAndShowsNothing) {
    show();
    try {
        tray->ShowBalloon("text", "title", 2147484, true);
        FAIL() << "no overflow";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 6);
        EXPECT_STREQ(e.what(), "Overflow");
    }
    EXPECT_TRUE(area.calls.empty());
    EXPECT_FALSE(tray->balloonPending());

    // The largest time that fits is shown, and the failed call used up no ShowOnce.
    pump.after(0, [this] { shellSays(0x404); });
    tray->ShowBalloon("text", "title", 2147483, true);
    ASSERT_EQ(area.calls.size(), 1u);
    EXPECT_EQ(area.calls[0].fields().uTimeout, 2147483000u);
}

TEST_F(TrayControl, HandlersRunningInsideTheWaitMayReenter) {
    show();
    int restores = 0;
    tray->MouseUp = [&](std::int16_t, std::int32_t) {
        ++restores;
        // The window is minimised again at once: a second one-time balloon does nothing.
        tray->ShowBalloon("again", "Tidewell", 5, true);
    };
    pump.after(1.0, [this] { shellSays(0x202); });
    // A balloon of its own, shown and ended by the shell while both wait.
    pump.after(2.0, [this] {
        pump.after(1.0, [this] { shellSays(0x404); });
        tray->ShowBalloon("nested", "Tidewell", 5, false);
    });
    tray->ShowBalloon("outer", "Tidewell", 5, true);

    EXPECT_EQ(restores, 1);
    ASSERT_EQ(area.calls.size(), 2u);  // outer and nested balloons, nothing cleared
    EXPECT_EQ(area.calls[1].fields().szInfo, "nested");
    EXPECT_FALSE(tray->balloonPending());
}

TEST_F(TrayControl, CloseDuringTheWaitAndEvenDestructionAreSafe) {
    show();
    pump.after(1.0, [this] { tray->setInTray(false); });
    tray->ShowBalloon("text", "Tidewell", 5, false);
    // The icon went first; the wait ran out and its clearing call went nowhere harmful.
    EXPECT_EQ(log, (std::vector<std::string>{"shell modify", "shell delete", "setWindowProc 2",
                                             "shell modify"}));

    auto doomed = make(4);
    pump.after(1.0, [&] { doomed.reset(); });
    doomed->ShowBalloon("text", "Tidewell", 5, false);
    EXPECT_EQ(doomed, nullptr);
}

TEST_F(TrayControl, DestructionTakesTheIconOutQuietly) {
    show();
    tray.reset();
    EXPECT_EQ(log, (std::vector<std::string>{"shell delete", "setWindowProc 2"}));
    EXPECT_EQ(hook.windowProc(kWindow), &WindowTable::DefaultWindowProc);
    EXPECT_TRUE(changes.empty());
    EXPECT_FALSE(mSysTray::hookInstalled());
}

TEST_F(TrayControl, AnIconTheShellRefusedCanBeAddedAgain) {
    area.onCall = [](const auto&) { throw std::runtime_error("no notification area"); };
    EXPECT_THROW(tray->setInTray(true), std::runtime_error);
    area.onCall = nullptr;
    tray->setInTray(true);
    EXPECT_TRUE(tray->iconAdded()) << "the failed add left the window hooked";
}

TEST_F(TrayControl, ASecondControlCannotTakeTheHookFromTheFirst) {
    show();
    auto second = make(3);
    second->setInTray(true);
    EXPECT_TRUE(second->InTray());
    EXPECT_FALSE(second->iconAdded());
    EXPECT_TRUE(log.empty());
    // The first one still hears from the shell.
    shellSays(0x202);
    EXPECT_EQ(events, std::vector<std::string>{"up 1 0"});
    second.reset();
    EXPECT_TRUE(tray->iconAdded());
}

}  // namespace
}  // namespace tw
