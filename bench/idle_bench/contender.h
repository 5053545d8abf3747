#pragma once

// One program under measurement, started in a throwaway home of its own.

#include <sys/types.h>

#include <string>
#include <vector>

namespace idle_bench {

struct Contender {
    std::string name;
    std::string program;
    // Arguments for a start hidden in the notification area; Tidewell takes its settings.
    std::vector<std::string> hiddenArguments;
    // Arguments for every start.
    std::vector<std::string> arguments = {};
};

class Running {
  public:
    // Starts `contender` on `display` with Tidewell's schedule switched on, counting down a
    // long interval, shown or hidden in the notification area.
    Running(const Contender& contender, const std::string& display, bool hidden);
    ~Running();
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    pid_t pid() const { return pid_; }
    // False once the process has ended.
    bool alive();

  private:
    pid_t pid_ = -1;
    std::string home_;
};

}  // namespace idle_bench
