// The tray watch hears an X notification area go the moment it goes. A panel of the test's
// own owns the tray's selection; after each of its moves the test sends the program's
// connection a marker, which the X server delivers after every event that move caused, so
// the watch is asked "have you seen it?" without any waiting on a clock.

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "platform/qt/qt_tray_watch.h"

namespace tw::qt_platform {
namespace {

xcb_atom_t intern(xcb_connection_t* c, const std::string& name) {
    auto* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, false, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// Returns once the server has carried out everything `c` asked.
void sync(xcb_connection_t* c) {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// The marker, and the window of the program's own that it is sent to.
struct Marker : QAbstractNativeEventFilter {
    xcb_atom_t type = XCB_ATOM_NONE;
    xcb_window_t window = XCB_WINDOW_NONE;
    bool seen = false;
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* e = static_cast<const xcb_client_message_event_t*>(message);
        if ((e->response_type & 0x7f) != XCB_CLIENT_MESSAGE || e->type != type) return false;
        seen = true;
        return true;
    }
};

// What the test's panel does. Qt docks the icon in the window that owns the selection when
// the program looks for the tray, and takes the tray for there until that window is destroyed.
enum class Move { Arrive, HandOver, Quit, DestroyDocked, LetGo };

TEST(TrayWatchOnX11, ToldAtOnceWhenThePanelGoesAndNotWhenItChangesHands) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "needs X";
    int screen = 0;
    xcb_connection_t* desk = xcb_connect(nullptr, &screen);
    ASSERT_EQ(xcb_connection_has_error(desk), 0);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(desk)).data[screen].root;
    const xcb_atom_t tray = intern(desk, "_NET_SYSTEM_TRAY_S" + std::to_string(screen));

    xcb_connection_t* panel = nullptr;
    xcb_window_t owner = XCB_WINDOW_NONE;
    xcb_window_t docked = XCB_WINDOW_NONE;
    const auto move = [&](Move m) {
        if (m == Move::Quit) {
            // As a panel that dies: the server closes its connection, selection first.
            xcb_kill_client(desk, owner);
            sync(desk);
            xcb_disconnect(panel);
            panel = nullptr;
            return;
        }
        if (m == Move::DestroyDocked) {
            xcb_destroy_window(panel, docked);
        } else if (m == Move::LetGo) {
            xcb_set_selection_owner(panel, XCB_WINDOW_NONE, tray, XCB_CURRENT_TIME);
        } else {
            if (!panel) panel = xcb_connect(nullptr, nullptr);
            owner = xcb_generate_id(panel);
            xcb_create_window(panel, XCB_COPY_FROM_PARENT, owner, root, 0, 0, 1, 1, 0,
                              XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
            xcb_set_selection_owner(panel, owner, tray, XCB_CURRENT_TIME);
        }
        sync(panel);
        // The program looks for the tray as it hides its window there.
        if (m == Move::Arrive) {
            docked = owner;
            ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
        }
    };

    Marker marker;
    QWidget window;  // never shown: hidden in the tray
    marker.type = intern(desk, "TIDEWELL_TEST_MARKER");
    marker.window = static_cast<xcb_window_t>(window.winId());
    QCoreApplication::instance()->installNativeEventFilter(&marker);
    const auto settle = [&] {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = marker.window;
        e.type = marker.type;
        xcb_send_event(desk, false, marker.window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&e));
        xcb_flush(desk);
        marker.seen = false;
        while (!marker.seen) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // The watch looks once Qt has handled what it heard.
        QCoreApplication::processEvents();
    };

    move(Move::Arrive);
    int lost = 0;
    TrayWatch watch(
        window, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }, [&] { ++lost; });
    settle();
    ASSERT_EQ(lost, 0);

    const struct {
        const char* what;
        Move move;
        int lost;
    } kCases[] = {
        {"another window of the panel takes the tray over", Move::HandOver, 0},
        {"the panel dies", Move::Quit, 1},
        {"a panel comes back", Move::Arrive, 1},
        {"the panel's tray window is destroyed", Move::DestroyDocked, 2},
        {"a panel comes back again", Move::Arrive, 2},
        {"it hands the tray to another window", Move::HandOver, 2},
        {"it lets the tray go, keeping the icon's window", Move::LetGo, 2},
        {"it destroys the icon's window", Move::DestroyDocked, 3},
    };
    for (const auto& c : kCases) {
        move(c.move);
        settle();
        EXPECT_EQ(lost, c.lost) << c.what;
    }

    QCoreApplication::instance()->removeNativeEventFilter(&marker);
    if (panel) xcb_disconnect(panel);
    xcb_disconnect(desk);
}

}  // namespace
}  // namespace tw::qt_platform
