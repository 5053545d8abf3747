// The idle cost of the running program against a bare Qt window started the same way: the
// time from start to a mapped window, the CPU spent while the window is shown and counting
// down and while it is hidden in the notification area, and the memory held. Afterwards, on
// its own so as not to disturb the others' CPU time, the bare window is run with Tidewell's
// controls as plain Qt widgets, to tell the memory the controls take from Tidewell's own.
// All run on a virtual X desktop of the benchmark's own (Xvfb with icewm), each in a
// throwaway home.
//
//   idle_bench [--seconds N] [--rounds N] [--tidewell PATH] [--bare PATH]
//
// --seconds is the length of each of the two CPU phases (default 60); --rounds the number of
// starts timed per program (default 5). The whole run takes about 2 x N + 40 seconds.
// Missing a target is reported, not an error: it exits non-zero only when the desktop could
// not be set up or a program did not start.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "contender.h"
#include "proc_usage.h"
#include "x_desktop.h"

namespace {

using namespace idle_bench;
using std::chrono::duration;
using std::chrono::milliseconds;
using std::chrono::seconds;

// Tidewell's main window is 536 x 351 pixels, and so is the bare window; the tray icons are
// far smaller.
constexpr int kMinWindowWidth = 300;
constexpr int kMinWindowHeight = 200;
constexpr auto kStartTimeout = seconds(60);
// Start-up work (fonts, the first paint, the tray icon, a balloon) is over by then.
constexpr auto kSettleShown = seconds(5);
constexpr auto kSettleHidden = seconds(12);

// Targets: the window's tick at most 1.3 times a bare window's, hidden in the tray at most
// 1.2x (a hidden window does its countdown and nothing else), resident memory within 30 MB,
// start at most 1.3x.
constexpr double kShownCpuTarget = 1.3;
constexpr double kHiddenCpuTarget = 1.2;
constexpr double kStartTarget = 1.3;
constexpr long kRssTargetKb = 30 * 1024;

struct Options {
    int seconds = 60;
    int rounds = 5;
    std::string tidewell = TIDEWELL_PROGRAM;
    std::string bare = BARE_WINDOW_PROGRAM;
};

[[noreturn]] void usage() {
    std::fprintf(stderr,
                 "usage: idle_bench [--seconds N] [--rounds N] [--tidewell PATH] "
                 "[--bare PATH]\n");
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) usage();
        const char* value = argv[++i];
        if (arg == "--seconds") {
            o.seconds = std::atoi(value);
        } else if (arg == "--rounds") {
            o.rounds = std::atoi(value);
        } else if (arg == "--tidewell") {
            o.tidewell = value;
        } else if (arg == "--bare") {
            o.bare = value;
        } else {
            usage();
        }
    }
    if (o.seconds < 1 || o.rounds < 1) usage();
    return o;
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "idle_bench: %s\n", what.c_str());
    std::exit(1);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void waitMapped(MapWatch& watch, Running& running, const Contender& who) {
    if (!watch.wait(running.pid(), kMinWindowWidth, kMinWindowHeight, kStartTimeout)) {
        fail(who.name + " showed no window within " + std::to_string(kStartTimeout.count()) + " s");
    }
}

// Milliseconds from fork to the window being viewable, per round, in alternating order.
std::vector<std::vector<double>> timeStarts(const VirtualDesktop& desktop,
                                            const std::vector<Contender>& contenders, int rounds) {
    MapWatch watch(desktop);
    std::vector<std::vector<double>> times(contenders.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const std::size_t i = (k + static_cast<std::size_t>(round)) % contenders.size();
            watch.arm();
            const auto start = Clock::now();
            Running running(contenders[i], desktop.display(), false);
            const auto mapped =
                watch.wait(running.pid(), kMinWindowWidth, kMinWindowHeight, kStartTimeout);
            if (!mapped) fail(contenders[i].name + " showed no window");
            times[i].push_back(duration<double, std::milli>(*mapped - start).count());
        }
    }
    return times;
}

struct Phase {
    std::vector<double> cpuSeconds;
    std::vector<double> statSeconds;
    std::vector<Memory> memory;
};

// Runs all contenders side by side, shown or hidden, and measures them over the same seconds.
Phase measure(const VirtualDesktop& desktop, const std::vector<Contender>& contenders, bool hidden,
              int length) {
    MapWatch watch(desktop);
    std::vector<std::unique_ptr<Running>> running;
    for (const Contender& c : contenders) {
        watch.arm();
        running.push_back(std::make_unique<Running>(c, desktop.display(), hidden));
        if (!hidden) waitMapped(watch, *running.back(), c);
    }
    std::this_thread::sleep_for(hidden ? kSettleHidden : kSettleShown);
    std::vector<CpuTime> before;
    for (auto& r : running) before.push_back(cpuTime(r->pid()));
    std::this_thread::sleep_for(seconds(length));
    Phase phase;
    for (std::size_t i = 0; i < running.size(); ++i) {
        if (!running[i]->alive()) fail(contenders[i].name + " ended during the measurement");
        const CpuTime after = cpuTime(running[i]->pid());
        phase.cpuSeconds.push_back(after.seconds - before[i].seconds);
        phase.statSeconds.push_back(after.statSeconds - before[i].statSeconds);
        phase.memory.push_back(memory(running[i]->pid()));
    }
    return phase;
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

const char* label(std::size_t i) {
    static const char* const kLabels[] = {"Tidewell", "bare", "controls"};
    return kLabels[i];
}

void printCpu(const char* title, const Phase& phase, int length, double target) {
    const double ratio = phase.cpuSeconds[0] / std::max(phase.cpuSeconds[1], 1e-6);
    std::printf("%s (%d s)\n", title, length);
    for (std::size_t i = 0; i < phase.cpuSeconds.size(); ++i) {
        std::printf("  %-9s %7.1f ms (%.3f %% of a core; utime+stime %.0f ms)\n", label(i),
                    phase.cpuSeconds[i] * 1000, phase.cpuSeconds[i] * 100 / length,
                    phase.statSeconds[i] * 1000);
    }
    std::printf("  ratio %.2fx, target at most %.1fx: %s\n", ratio, target,
                verdict(ratio <= target));
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    for (const std::string& program : {options.tidewell, options.bare}) {
        if (::access(program.c_str(), X_OK) != 0) fail("cannot run " + program);
    }
    const std::vector<Contender> contenders{{"Tidewell", options.tidewell, {}},
                                            {"bare window", options.bare, {"--hidden"}}};
    // The window's plain Qt controls without Tidewell: a yardstick for memory.
    Contender controls{"bare window with the controls", options.bare, {}};
    controls.arguments = {"--controls"};

    char pattern[] = "/tmp/tidewell-idle-wm.XXXXXX";
    if (!::mkdtemp(pattern)) fail("cannot make a home for the window manager");
    const std::string wmHome = pattern;
    int status = 0;
    try {
        VirtualDesktop desktop(wmHome);
        std::printf(
            "Idle cost of Tidewell against a bare Qt window (a label updated every second "
            "and a tray icon), on Xvfb %s with icewm\n\n",
            desktop.display().c_str());

        const auto starts = timeStarts(desktop, contenders, options.rounds);
        const double startTidewell = median(starts[0]);
        const double startBare = median(starts[1]);
        const double startRatio = startTidewell / startBare;
        std::printf("Start to mapped window (median of %d)\n", options.rounds);
        std::printf("  Tidewell  %7.1f ms\n  bare      %7.1f ms\n", startTidewell, startBare);
        std::printf("  ratio %.2fx, target at most %.1fx: %s\n\n", startRatio, kStartTarget,
                    verdict(startRatio <= kStartTarget));
        std::fflush(stdout);

        Phase shown = measure(desktop, contenders, false, options.seconds);
        shown.memory.push_back(measure(desktop, {controls}, false, 1).memory.front());
        printCpu("CPU while shown and counting down", shown, options.seconds, kShownCpuTarget);
        std::printf("\nMemory while shown\n");
        for (std::size_t i = 0; i < shown.memory.size(); ++i) {
            std::printf("  %-9s RSS %6.1f MB, PSS %6.1f MB\n", label(i),
                        shown.memory[i].rssKb / 1024.0, shown.memory[i].pssKb / 1024.0);
        }
        std::printf("  Tidewell's RSS, target at most %ld MB: %s\n\n", kRssTargetKb / 1024,
                    verdict(shown.memory[0].rssKb <= kRssTargetKb));
        std::fflush(stdout);

        const Phase hidden = measure(desktop, contenders, true, options.seconds);
        printCpu("CPU while hidden in the notification area, counting down", hidden,
                 options.seconds, kHiddenCpuTarget);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "idle_bench: %s\n", error.what());
        status = 2;
    }
    std::error_code ignored;
    std::filesystem::remove_all(wmHome, ignored);
    return status;
}
