#include "x_desktop.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <thread>

namespace idle_bench {

namespace {

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> own(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto reply = own(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

void stop(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

}  // namespace

VirtualDesktop::VirtualDesktop(const std::string& home) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
    xvfb_ = ::fork();
    if (xvfb_ == 0) {
        ::close(pipeFds[0]);
        const std::string fd = std::to_string(pipeFds[1]);
        // Quiet: Xvfb's start-up chatter is of no interest here.
        std::freopen("/dev/null", "w", stderr);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24",
                 "-nolisten", "tcp", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char number[32] = {};
    std::size_t got = 0;
    pollfd waitFd{pipeFds[0], POLLIN, 0};
    while (got < sizeof number - 1 && ::poll(&waitFd, 1, 20000) > 0) {
        const ssize_t n = ::read(pipeFds[0], number + got, sizeof number - 1 - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
        if (std::memchr(number, '\n', got)) break;
    }
    ::close(pipeFds[0]);
    if (got == 0) {
        stop(xvfb_);
        throw std::runtime_error("Xvfb did not start (is it installed?)");
    }
    display_.assign(1, ':');
    display_.append(number, std::strcspn(number, "\n"));

    connection_ = xcb_connect(display_.c_str(), nullptr);
    if (xcb_connection_has_error(connection_)) {
        stop(xvfb_);
        throw std::runtime_error("cannot connect to Xvfb on " + display_);
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;

    icewm_ = ::fork();
    if (icewm_ == 0) {
        ::setenv("DISPLAY", display_.c_str(), 1);
        ::setenv("HOME", home.c_str(), 1);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execlp("icewm", "icewm", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!windowManagerReady()) {
        if (Clock::now() > deadline) {
            stopAll();
            throw std::runtime_error("icewm and its notification area did not come up");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    // The task bar finishes drawing after it claims the notification area.
    std::this_thread::sleep_for(std::chrono::seconds(1));
}

VirtualDesktop::~VirtualDesktop() {
    stopAll();
}

void VirtualDesktop::stopAll() {
    if (connection_) xcb_disconnect(connection_);
    connection_ = nullptr;
    stop(icewm_);
    icewm_ = -1;
    stop(xvfb_);
    xvfb_ = -1;
}

bool VirtualDesktop::windowManagerReady() {
    xcb_connection_t* c = connection_;
    auto check = own(xcb_get_property_reply(
        c,
        xcb_get_property(c, 0, root_, atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!check || xcb_get_property_value_length(check.get()) == 0) return false;
    auto tray = own(xcb_get_selection_owner_reply(
        c, xcb_get_selection_owner(c, atom(c, "_NET_SYSTEM_TRAY_S0")), nullptr));
    return tray && tray->owner != XCB_NONE;
}

MapWatch::MapWatch(const VirtualDesktop& desktop)
    : connection_(desktop.connection()), root_(desktop.root()) {
    pidAtom_ = atom(connection_, "_NET_WM_PID");
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

void MapWatch::arm() {
    drainEvents();
    candidates_.clear();
}

bool MapWatch::drainEvents() {
    bool any = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        if ((event->response_type & 0x7f) == XCB_CREATE_NOTIFY) {
            const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
            if (created->parent == root_) {
                candidates_.push_back(created->window);
                // Its own map events wake the wait, wherever the window manager puts it.
                const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
                xcb_change_window_attributes(connection_, created->window, XCB_CW_EVENT_MASK,
                                             &mask);
            }
        }
        std::free(event);
        any = true;
    }
    xcb_flush(connection_);
    return any;
}

bool MapWatch::matches(xcb_window_t window, pid_t pid, int minWidth, int minHeight) {
    xcb_connection_t* c = connection_;
    auto attributes =
        own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) return false;
    auto property = own(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (!property || xcb_get_property_value_length(property.get()) != 4) return false;
    uint32_t owner = 0;
    std::memcpy(&owner, xcb_get_property_value(property.get()), 4);
    if (owner != static_cast<uint32_t>(pid)) return false;
    auto geometry = own(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    return geometry && geometry->width >= minWidth && geometry->height >= minHeight;
}

std::optional<Clock::time_point> MapWatch::wait(pid_t pid, int minWidth, int minHeight,
                                                std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
    // Map events wake us at once; the slow look covers a window mapped before we watched it.
    constexpr auto kSlowLook = std::chrono::milliseconds(50);
    auto lastLook = Clock::now();
    while (Clock::now() < deadline) {
        if (drainEvents() || Clock::now() - lastLook >= kSlowLook) {
            lastLook = Clock::now();
            for (xcb_window_t window : candidates_) {
                if (matches(window, pid, minWidth, minHeight)) return Clock::now();
            }
        }
        if (xcb_connection_has_error(connection_)) return std::nullopt;
        ::poll(&fd, 1, 10);
    }
    return std::nullopt;
}

}  // namespace idle_bench
