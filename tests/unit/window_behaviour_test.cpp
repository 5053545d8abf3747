// Minimise into the tray, restore from it, close, help and the start-up check boxes.

#include <gtest/gtest.h>

#include "app/product.h"
#include "fakes/fakes.h"

namespace tw {
namespace {

struct WindowBehaviour : ::testing::Test {
    test::Harness h;
    Form1* form = nullptr;
    void SetUp() override {
        form = &h.make();
        form->Form_Load();
        form->Form.setVisible(true);
        h.tray.calls.clear();
    }
    void minimise() { form->Form.setWindowState(controls::WindowState::Minimized); }
    int balloons() const {
        const auto messages = h.tray.messages();
        return static_cast<int>(std::count(messages.begin(), messages.end(), kNimModify));
    }
};

TEST_F(WindowBehaviour, MinimisingHidesIntoTheTrayWithOneBalloonPerRun) {
    minimise();
    EXPECT_FALSE(form->Form.visible());
    EXPECT_EQ(form->Form.windowState(), controls::WindowState::Normal);
    EXPECT_TRUE(form->MinimizedToTray);
    const int first = balloons();
    EXPECT_GE(first, 1) << "the balloon was shown";

    // The shell's left button up on the icon, through the window's message procedure.
    h.hook.sendMessage(kTrayWindowHandle, kTrayCallbackMessage, 0, 0x202);
    EXPECT_TRUE(form->Form.visible());
    EXPECT_FALSE(form->MinimizedToTray);

    minimise();
    EXPECT_FALSE(form->Form.visible());
    EXPECT_EQ(balloons(), first) << "no second balloon";
    h.hook.sendMessage(kTrayWindowHandle, kTrayCallbackMessage, 0, 0x205);  // right button up
    EXPECT_TRUE(form->Form.visible());
}

TEST_F(WindowBehaviour, WithoutANotificationAreaMinimisingStaysOnTheTaskBar) {
    h.tray.available = false;
    minimise();
    EXPECT_TRUE(form->Form.visible());
    EXPECT_EQ(form->Form.windowState(), controls::WindowState::Minimized);
    EXPECT_FALSE(form->MinimizedToTray);
    EXPECT_EQ(balloons(), 0);
}

TEST(StartInTray, ShowsOnlyTheIconUntilItIsClicked) {
    test::Harness fresh;
    fresh.settings.put("Minimized", "On");
    Form1& f = fresh.make();
    f.Form_Load();
    EXPECT_EQ(f.Check8.value(), 1);
    f.Form.setVisible(true);  // the host shows the window once loaded
    EXPECT_FALSE(f.Form.visible());
    EXPECT_TRUE(f.cSysTray1.InTray());
    EXPECT_EQ(fresh.tray.messages().front(), kNimAdd);
    fresh.hook.sendMessage(kTrayWindowHandle, kTrayCallbackMessage, 0, 0x202);
    EXPECT_TRUE(f.Form.visible());
}

TEST_F(WindowBehaviour, ClosingStopsTheTimerRemovesTheIconAndStoresNothing) {
    form->PushButton4.click();
    h.settings.writes.clear();
    form->Form_QueryUnload();
    EXPECT_FALSE(form->Timer1.running());
    EXPECT_FALSE(form->cSysTray1.InTray());
    EXPECT_EQ(h.tray.messages().back(), kNimDelete);
    EXPECT_EQ(h.lifetime.ended, std::vector<int>{0});
    EXPECT_TRUE(h.settings.writes.empty());
    EXPECT_EQ(h.settings.get("StartStopState"), "On");
}

TEST_F(WindowBehaviour, HelpShowsTheContactPageUnderTheProgramsTitle) {
    form->PushButton1.click();
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    // A page the user can open, under the program's name.
    EXPECT_NE(h.boxes.shown[0].text.find(" https://"), std::string::npos) << h.boxes.shown[0].text;
    EXPECT_EQ(h.boxes.shown[0].title, "Tidewell");
}

TEST_F(WindowBehaviour, StartInTrayIsStoredAndLeavesTheWindowVisible) {
    form->Check8.setValue(1);
    EXPECT_EQ(h.settings.get("Minimized"), "On");
    EXPECT_TRUE(form->Form.visible());
    form->Check8.setValue(0);
    EXPECT_EQ(h.settings.get("Minimized"), "Off");
}

TEST_F(WindowBehaviour, StartAtLoginRegistersTheProgramItselfAndShowsStartInTray) {
    form->Check4.setValue(1);
    EXPECT_EQ(h.settings.get("Windows Startup"), "On");
    EXPECT_EQ(h.startAtLogin.entries,
              (std::map<std::string, std::string>{{"tidewell", "/opt/tidewell/tidewell"}}));
    form->Check8.setValue(1);
    form->Check4.setValue(0);
    EXPECT_TRUE(h.startAtLogin.entries.empty());
    EXPECT_EQ(h.settings.get("Windows Startup"), "Off");
    EXPECT_EQ(form->Check8.value(), 0);
    EXPECT_FALSE(form->Check8.visible());
    EXPECT_EQ(h.settings.get("Minimized"), "Off");
}

TEST_F(WindowBehaviour, AFailedRegistrationIsToldAndTheBoxShowsWhatIsReallyRegistered) {
    h.startAtLogin.failing = true;
    form->Check4.setValue(1);
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_NE(h.boxes.shown[0].text.find("Permission denied"), std::string::npos);
    EXPECT_EQ(form->Check4.value(), 0);
    EXPECT_EQ(h.settings.get("Windows Startup"), "Off");
    EXPECT_FALSE(form->Check8.visible());

    h.startAtLogin.failing = false;
    form->Check4.setValue(1);
    h.startAtLogin.failing = true;
    form->Check4.setValue(0);  // the entry can't be removed: it is still registered
    EXPECT_EQ(h.boxes.shown.size(), 2u);
    EXPECT_EQ(form->Check4.value(), 1);
    EXPECT_EQ(h.settings.get("Windows Startup"), "On");
    EXPECT_TRUE(form->Check8.visible());
}

}  // namespace
}  // namespace tw
