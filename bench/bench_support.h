#pragma once

// What the benchmarks share: building trashes to measure on, timing, and printing verdicts.

#include <string>
#include <vector>

#include "platform/linux/unique_fd.h"

namespace tw::bench {

// Ends the benchmark (exit 2): it could not be set up.
[[noreturn]] void setupFailure(const std::string& what);

linux_platform::UniqueFd openDir(int parent, const char* name);

// <home>/Trash for each of `homes`, identical copies holding `items` items with their
// .trashinfo files: a file each when `filesPerItem` is 0 (a flat trash), else a folder of that
// many files each. Every item is dated long ago, but every odd one `recentDate` when that is
// given. Each file holds `content`. The copies are built side by side, item by item, so that
// when they are measured against each other none has been out of the caches longer.
std::vector<std::string> buildTrashes(const std::vector<std::string>& homes, int items,
                                      int filesPerItem, const std::string& recentDate = "",
                                      const std::string& content = "");
// One such copy.
std::string buildTrash(const std::string& home, int items, int filesPerItem);
// The name buildTrash gives the flat trash's item `i`.
std::string flatItemName(int i);

// The directory for the benchmark's trees: --dir, else $TMPDIR, else /var/tmp; made unique.
std::string makeWorkDir(const std::string& base);
// Removes a tree with rm -rf.
void removeTree(const std::string& path);

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system: what waiting for the disk does not blur
    long maxRssKb = 0;
    bool ok = false;
};
// Runs argv as a child process (with extra environment), timing it from fork to reaping; the
// disk is synced first unless told not to.
Run runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
               bool syncFirst = true);

// This program's own path, to run it again as a child.
std::string ownExecutable();
double median(std::vector<double> values);
std::string fileSystemName(const std::string& path);
inline const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}
// The last lines of an empty timed against bare passes: its time, its CPU time and its peak
// memory, each against its target.
void printEmptyVerdict(double ratio, double timeTarget, double cpuRatio, double peakMb,
                       double memoryTargetMb);
// A note when the build carries sanitizers: their numbers mean little.
void warnIfSanitized();

}  // namespace tw::bench
