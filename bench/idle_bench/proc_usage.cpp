#include "proc_usage.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace idle_bench {

namespace {

std::string procPath(pid_t pid, const char* entry) {
    return "/proc/" + std::to_string(pid) + "/" + entry;
}

// utime and stime, fields 14 and 15; the command name before them may hold spaces.
double statSeconds(pid_t pid) {
    std::ifstream in(procPath(pid, "stat"));
    std::string line;
    if (!std::getline(in, line)) return 0;
    const auto close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Field 3 (state) is the first after the name.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

double schedSeconds(pid_t pid) {
    std::error_code error;
    double total = 0;
    for (const auto& task : std::filesystem::directory_iterator(procPath(pid, "task"), error)) {
        std::ifstream in(task.path() / "schedstat");
        unsigned long long ns = 0;
        if (in >> ns) total += double(ns) / 1e9;
    }
    return total;
}

}  // namespace

CpuTime cpuTime(pid_t pid) {
    return {schedSeconds(pid), statSeconds(pid)};
}

Memory memory(pid_t pid) {
    std::ifstream in(procPath(pid, "smaps_rollup"));
    Memory m;
    std::string line;
    // The first line names the address range; then "Key:   value kB" lines.
    while (std::getline(in, line)) {
        long value = 0;
        if (std::sscanf(line.c_str(), "Rss: %ld", &value) == 1) m.rssKb = value;
        if (std::sscanf(line.c_str(), "Pss: %ld", &value) == 1) m.pssKb = value;
    }
    return m;
}

}  // namespace idle_bench
