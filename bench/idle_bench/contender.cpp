#include "contender.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace idle_bench {

namespace {

namespace fs = std::filesystem;

// Thirty days in the interval mode: the countdown runs for the whole benchmark and never
// reaches an empty (the home is a throwaway one anyway). Every key is there, as after the
// first run, so that the start stores nothing new.
void writeSettings(const fs::path& configHome, bool hidden) {
    fs::create_directories(configHome / "Quendra");
    std::ofstream out(configHome / "Quendra" / "Tidewell.conf");
    out << "[Tidewell]\n"
        << "StartStopState=On\n"
        << "Minimized=" << (hidden ? "On" : "Off") << "\n"
        << "Option1=False\nOption2=False\nOption3=True\n"
        << "Text11=0\nText2=0\nText3=30\n"
        << "Windows Startup=Off\nWeekly=Monday\nWeekly Time=10:20:30\n";
    if (!out.flush()) throw std::runtime_error("cannot write the settings");
}

}  // namespace

Running::Running(const Contender& contender, const std::string& display, bool hidden) {
    char pattern[] = "/tmp/tidewell-idle.XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("cannot make a throwaway home");
    home_ = pattern;
    const fs::path home = home_;
    const fs::path runtime = home / "run";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    writeSettings(home / ".config", hidden);
    const std::string log = (home / "program.log").string();

    std::vector<std::string> args{contender.program};
    args.insert(args.end(), contender.arguments.begin(), contender.arguments.end());
    if (hidden)
        args.insert(args.end(), contender.hiddenArguments.begin(), contender.hiddenArguments.end());
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::setenv("DISPLAY", display.c_str(), 1);
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        ::setenv("NO_AT_BRIDGE", "1", 1);
        for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS",
                                 "SESSION_MANAGER"}) {
            ::unsetenv(name);
        }
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, STDOUT_FILENO);
            ::dup2(out, STDERR_FILENO);
        }
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
}

bool Running::alive() {
    if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
    return pid_ > 0;
}

Running::~Running() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        bool ended = false;
        for (int i = 0; i < 100 && !ended; ++i) {
            ended = ::waitpid(pid_, nullptr, WNOHANG) == pid_;
            if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!ended) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    std::error_code ignored;
    fs::remove_all(home_, ignored);
}

}  // namespace idle_bench
