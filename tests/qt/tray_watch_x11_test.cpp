// An X notification area is heard going at once. A panel of the test's own owns the tray's
// selection; after each move it sends the program a marker, which the X server delivers after
// every event the move caused: the watch is asked without waiting on any clock.

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/qt/qt_tray_watch.h"

namespace tw::qt_platform {
namespace {

struct Marker : QAbstractNativeEventFilter {  // removes itself from the application as it goes
    bool seen = false;
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* e = static_cast<const xcb_client_message_event_t*>(message);
        const bool marker = (e->response_type & 0x7f) == XCB_CLIENT_MESSAGE && e->format == 8;
        seen |= marker;
        return marker;
    }
};

// Qt docks the icon in the selection's owner when the program looks for the tray (Arrive),
// and takes the tray for there until that window is destroyed.
enum class Move { Arrive, HandOver, Quit, DestroyDocked, LetGo };

TEST(TrayWatchOnX11, ToldAtOnceWhenThePanelGoesAndNotWhenItChangesHands) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "needs X";
    int screen = 0;
    xcb_connection_t* desk = xcb_connect(nullptr, &screen);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(desk)).data[screen].root;
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    auto* atom = xcb_intern_atom_reply(
        desk, xcb_intern_atom(desk, false, std::uint16_t(name.size()), name.data()), nullptr);
    const xcb_atom_t tray = atom->atom;
    std::free(atom);
    const auto sync = [](xcb_connection_t* c) {
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    };

    xcb_connection_t* panel = nullptr;
    xcb_window_t owner = 0, docked = 0;
    const auto move = [&](Move m) {
        if (m == Move::Quit) {  // as a panel that dies: its connection closes, selection first
            xcb_kill_client(desk, owner);
            sync(desk);
            xcb_disconnect(std::exchange(panel, nullptr));
            return;
        }
        if (m == Move::DestroyDocked) xcb_destroy_window(panel, docked);
        if (m == Move::LetGo) xcb_set_selection_owner(panel, 0, tray, XCB_CURRENT_TIME);
        if (m == Move::Arrive || m == Move::HandOver) {
            if (!panel) panel = xcb_connect(nullptr, nullptr);
            owner = xcb_generate_id(panel);
            xcb_create_window(panel, 0, owner, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, 0,
                              0, nullptr);
            xcb_set_selection_owner(panel, owner, tray, XCB_CURRENT_TIME);
        }
        sync(panel);
        if (m == Move::Arrive) {
            docked = owner;
            EXPECT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());  // as hiding in the tray does
        }
    };

    QWidget window;  // never shown: hidden in the tray
    Marker marker;
    QCoreApplication::instance()->installNativeEventFilter(&marker);
    const auto settle = [&] {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 8;
        e.window = xcb_window_t(window.winId());
        xcb_send_event(desk, false, e.window, 0, reinterpret_cast<const char*>(&e));
        xcb_flush(desk);
        for (marker.seen = false; !marker.seen;) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        QCoreApplication::processEvents();  // the watch looks once Qt has handled the event
    };

    move(Move::Arrive);
    int lost = 0;
    TrayWatch watch(
        window, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }, [&] { ++lost; });
    const struct Case {
        const char* what;
        Move move;
        int lost;
    } kCases[] = {
        {"a panel has the tray", Move::Arrive, 0},
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
        if (&c != kCases) move(c.move);
        settle();
        EXPECT_EQ(lost, c.lost) << c.what;
    }
    if (panel) xcb_disconnect(panel);
    xcb_disconnect(desk);
}

}  // namespace
}  // namespace tw::qt_platform
