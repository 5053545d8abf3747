#include "platform/qt/qt_x11_tray_owner.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>

namespace tw::qt_platform {

namespace {

// The screen Qt connected to: it opens the display $DISPLAY names, as xcb reads it here.
int screenNumber() {
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen)) return 0;
    std::free(host);
    return screen;
}

xcb_window_t rootOf(xcb_connection_t* connection, int screen) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; it.rem > 0; xcb_screen_next(&it), ++i) {
        if (i == screen) return it.data->root;
    }
    return XCB_WINDOW_NONE;
}

template <typename Reply>
struct Freed {
    Reply* reply;
    ~Freed() { std::free(reply); }
};

}  // namespace

std::unique_ptr<X11TrayOwnerWatch> X11TrayOwnerWatch::create(std::function<void()> changed) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11) return nullptr;
    xcb_connection_t* connection = x11->connection();
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) return nullptr;
    // Selection events came with XFixes 1; a client announces the version it speaks before
    // its first request (Qt has done so too: the answer changes nothing).
    xcb_discard_reply(connection, xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION,
                                                           XCB_XFIXES_MINOR_VERSION)
                                      .sequence);

    const int screen = screenNumber();
    const xcb_window_t root = rootOf(connection, screen);
    if (root == XCB_WINDOW_NONE) return nullptr;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    const Freed<xcb_intern_atom_reply_t> atom{xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, false, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr)};
    if (!atom.reply) return nullptr;
    const xcb_atom_t selection = atom.reply->atom;

    xcb_xfixes_select_selection_input(connection, root, selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(connection);

    std::unique_ptr<X11TrayOwnerWatch> watch(new X11TrayOwnerWatch(
        std::move(changed), selection,
        static_cast<std::uint8_t>(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY)));
    QCoreApplication::instance()->installNativeEventFilter(watch.get());
    return watch;
}

X11TrayOwnerWatch::X11TrayOwnerWatch(std::function<void()> changed, std::uint32_t selection,
                                     std::uint8_t selectionNotify)
    : changed_(std::move(changed)), selection_(selection), selectionNotify_(selectionNotify) {}

X11TrayOwnerWatch::~X11TrayOwnerWatch() {
    if (auto* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

bool X11TrayOwnerWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type == selectionNotify_) {
        const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
        if (notify->selection == selection_) changed_();
    } else if (type == XCB_DESTROY_NOTIFY) {
        changed_();
    }
    // Only watched: Qt handles every event as it would without us.
    return false;
}

}  // namespace tw::qt_platform
