#pragma once

// A virtual X desktop of its own for the benchmark: Xvfb with icewm as window manager and
// notification area, and a watch for top-level windows becoming viewable.

#include <sys/types.h>
#include <xcb/xcb.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace idle_bench {

using Clock = std::chrono::steady_clock;

class VirtualDesktop {
  public:
    // Starts Xvfb and icewm (with `home` as icewm's home) and waits until the window manager
    // and its notification area are up. Throws std::runtime_error when they do not come up.
    explicit VirtualDesktop(const std::string& home);
    ~VirtualDesktop();
    VirtualDesktop(const VirtualDesktop&) = delete;
    VirtualDesktop& operator=(const VirtualDesktop&) = delete;

    // The DISPLAY value for programs on this desktop.
    const std::string& display() const { return display_; }
    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return root_; }

  private:
    bool windowManagerReady();
    void stopAll();

    pid_t xvfb_ = -1;
    pid_t icewm_ = -1;
    std::string display_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
};

// Reports when a top-level window of a given process and at least a given size becomes
// viewable (mapped by the window manager inside its frame). Arm it before starting the process.
class MapWatch {
  public:
    explicit MapWatch(const VirtualDesktop& desktop);
    // Forgets the windows seen so far and watches for new ones.
    void arm();
    // The moment the window was seen viewable, or nothing when `timeout` passed first.
    std::optional<Clock::time_point> wait(pid_t pid, int minWidth, int minHeight,
                                          std::chrono::milliseconds timeout);

  private:
    // Takes in the events that arrived; true when there were any.
    bool drainEvents();
    bool matches(xcb_window_t window, pid_t pid, int minWidth, int minHeight);

    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_atom_t pidAtom_ = 0;
    std::vector<xcb_window_t> candidates_;
};

}  // namespace idle_bench
