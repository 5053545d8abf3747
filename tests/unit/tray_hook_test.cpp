#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_event_loop.h"
#include "fakes/fake_notification_area.h"
#include "fakes/fake_window_hook.h"
#include "platform/shared/window_table.h"
#include "tray/c_sys_tray.h"
#include "tray/m_sys_tray.h"

namespace tw {
namespace {

constexpr WindowHandle kWindow = 2;

struct Message {
    WindowHandle window;
    std::uint32_t message;
    std::uint32_t wParam;
    std::int32_t lParam;
    bool operator==(const Message&) const = default;
};

// The host's own window procedure: records what reaches it and answers with a mark.
std::vector<std::string>* g_order = nullptr;
std::vector<Message> g_hostMessages;
std::int32_t HostProc(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                      std::int32_t lParam) {
    g_hostMessages.push_back({window, message, wParam, lParam});
    if (g_order) g_order->push_back("host");
    return static_cast<std::int32_t>(message) * 2 + 1;
}

class TrayHook : public ::testing::Test {
  protected:
    void SetUp() override {
        g_hostMessages.clear();
        g_order = &order;
        hook.setWindowProc(kWindow, &HostProc);
        tray = std::make_unique<cSysTray>(cSysTray::Services{area, hook, pump, clock}, kWindow,
                                          Picture{Picture::Type::Icon, 1});
        tray->MouseUp = [this](std::int16_t button, std::int32_t) {
            order.push_back("MouseUp " + std::to_string(button));
        };
    }
    void TearDown() override { g_order = nullptr; }

    std::vector<std::string> order;
    test::FakeNotificationArea area;
    test::FakeWindowHook hook;
    test::SteppedClock clock;
    test::SteppedPump pump{clock};
    std::unique_ptr<cSysTray> tray;
};

TEST_F(TrayHook, EveryMessageReachesTheHostUnchangedWithItsAnswer) {
    tray->setInTray(true);
    EXPECT_EQ(hook.windowProc(kWindow), &mSysTray::TrayWindowProc);
    EXPECT_EQ(mSysTray::PrevWindowProc, &HostProc);

    EXPECT_EQ(hook.sendMessage(kWindow, 0x0F, 0xFFFFFFFF, -7), 0x0F * 2 + 1);
    EXPECT_EQ(hook.sendMessage(kWindow, 0x200, 3, 0x7FFFFFFF), 0x200 * 2 + 1);
    EXPECT_EQ(g_hostMessages, (std::vector<Message>{{kWindow, 0x0F, 0xFFFFFFFF, -7},
                                                    {kWindow, 0x200, 3, 0x7FFFFFFF}}));
    EXPECT_EQ(order, (std::vector<std::string>{"host", "host"}));
}

TEST_F(TrayHook, TrayCallbackRaisesTheEventFirstThenReachesTheHostToo) {
    tray->setInTray(true);
    EXPECT_EQ(hook.sendMessage(kWindow, kTrayCallbackMessage, 0, 0x205),
              static_cast<std::int32_t>(kTrayCallbackMessage) * 2 + 1);
    EXPECT_EQ(order, (std::vector<std::string>{"MouseUp 2", "host"}));
    EXPECT_EQ(g_hostMessages, (std::vector<Message>{{kWindow, kTrayCallbackMessage, 0, 0x205}}));
}

TEST_F(TrayHook, TakingTheIconOutPutsTheHostProcedureBack) {
    tray->setInTray(true);
    tray->setInTray(false);
    EXPECT_EQ(hook.windowProc(kWindow), &HostProc);
    hook.sendMessage(kWindow, kTrayCallbackMessage, 0, 0x202);
    EXPECT_EQ(order, std::vector<std::string>{"host"});  // no event any more
}

TEST_F(TrayHook, HandlerThatTakesTheIconOutStillPassesItsMessageOn) {
    tray->MouseUp = [this](std::int16_t, std::int32_t) {
        order.push_back("close");
        tray->setInTray(false);
    };
    tray->setInTray(true);
    hook.sendMessage(kWindow, kTrayCallbackMessage, 0, 0x202);
    EXPECT_EQ(order, (std::vector<std::string>{"close", "host"}));
    EXPECT_EQ(hook.windowProc(kWindow), &HostProc);
}

TEST_F(TrayHook, AUserDataSlotNamingNoLiveControlIsPassedOver) {
    tray->setInTray(true);
    // A slot that names a control that no longer exists (or never did) finds nothing.
    auto gone =
        std::make_unique<cSysTray>(cSysTray::Services{area, hook, pump, clock}, 9, Picture{});
    const std::intptr_t staleId = mSysTray::registerTray(*gone);
    mSysTray::unregisterTray(staleId);
    gone.reset();
    hook.setUserData(kWindow, staleId);
    EXPECT_EQ(mSysTray::findTray(staleId), nullptr);
    hook.sendMessage(kWindow, kTrayCallbackMessage, 0, 0x202);
    EXPECT_EQ(order, std::vector<std::string>{"host"});
}

TEST(WindowTable, WindowsKeepTheirOwnProcedureAndUserData) {
    WindowTable windows;
    // Every window starts with the default procedure, which answers 0.
    EXPECT_EQ(windows.sendMessage(5, 0x10, 1, 2), 0);
    EXPECT_EQ(windows.getUserData(5), 0);

    EXPECT_EQ(windows.setWindowProc(5, &HostProc), &WindowTable::DefaultWindowProc);
    windows.setUserData(5, 1234);
    g_hostMessages.clear();
    EXPECT_EQ(windows.sendMessage(5, 0x10, 1, 2), 0x21);
    EXPECT_EQ(g_hostMessages, (std::vector<Message>{{5, 0x10, 1, 2}}));
    EXPECT_EQ(windows.sendMessage(6, 0x10, 1, 2), 0);  // other windows are unaffected
    EXPECT_EQ(windows.getUserData(5), 1234);
    EXPECT_EQ(windows.getUserData(6), 0);

    EXPECT_EQ(windows.callWindowProc(&HostProc, 8, 3, 4, 5), 7);
    EXPECT_EQ(windows.callWindowProc(nullptr, 8, 3, 4, 5), 0);

    // A null procedure puts the default back.
    EXPECT_EQ(windows.setWindowProc(5, nullptr), &HostProc);
    EXPECT_EQ(windows.windowProc(5), &WindowTable::DefaultWindowProc);
}

}  // namespace
}  // namespace tw
