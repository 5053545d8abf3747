#pragma once

// What a running process has cost so far, read from /proc.

#include <sys/types.h>

namespace idle_bench {

struct CpuTime {
    double seconds = 0;      // on-CPU time of all live threads (schedstat, nanosecond precision)
    double statSeconds = 0;  // utime + stime of the process (clock ticks)
};

struct Memory {
    long rssKb = 0;
    long pssKb = 0;
};

// Zeroes when the process is gone.
CpuTime cpuTime(pid_t pid);
Memory memory(pid_t pid);

}  // namespace idle_bench
