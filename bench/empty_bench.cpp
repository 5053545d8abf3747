// Times emptying a large trash with Tidewell's remover against `rm -rf` of an identical tree
// (and, for the folder shape, against trash-cli's `trash-empty`), and measures the remover's peak
// memory. Two shapes: 1 000 folders of 100 files each, and a flat trash of 200 000 files. Each
// contender runs as its own process on its own copy of the tree.
//
//   empty_bench [--dir DIR] [--rounds N] [--shape folders|flat|both]
//
// Exits non-zero only when the benchmark could not be set up or a contender left files behind.

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/linux/remove_log.h"
#include "platform/linux/trash_empty.h"
#include "platform/linux/unique_fd.h"

namespace {

using tw::bench::median;
using tw::bench::setupFailure;
using tw::bench::verdict;
using tw::linux_platform::UniqueFd;
using Clock = std::chrono::steady_clock;

constexpr double kTimeTarget = 1.05;
constexpr double kMemoryTargetMb = 20;

struct Shape {
    const char* name;
    const char* description;
    int items;
    int filesPerItem;   // 0: each item is a file
    bool withTrashCli;  // trash-empty takes minutes on the flat shape
};

constexpr Shape kShapes[] = {
    {"folders", "1 000 folders of 100 files (100 000 files)", 1000, 100, true},
    {"flat", "200 000 files in files/ itself", 200000, 0, false},
};

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system: what waiting for the disk does not blur
    long maxRssKb = 0;
    bool ok = false;
};

bool isEmptyDir(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return errno == ENOENT;
    DIR* d = ::fdopendir(::dup(fd.get()));
    if (!d) return false;
    bool empty = true;
    while (dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) empty = false;
    }
    ::closedir(d);
    return empty;
}

// Runs argv as a child process (with extra environment), timing it from fork to reaping.
Run runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {}) {
    ::sync();  // the tree's creation is not to be paid for by whoever runs first
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = ::fork();
    if (pid < 0) setupFailure("fork");
    if (pid == 0) {
        for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
        int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::execvp(args[0], args.data());
        std::fprintf(stderr, "empty_bench: cannot run %s: %s\n", args[0], std::strerror(errno));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) setupFailure("wait4");
    }
    Run run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.maxRssKb = usage.ru_maxrss;
    run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// Child mode: only the empty, so that its peak memory is the remover's own.
int emptyOnly(const char* trash) {
    UniqueFd fd(::open(trash, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) return 3;
    tw::linux_platform::RemoveLog log;
    bool ok = tw::linux_platform::emptyTrashDirectory(fd.get(), trash, log);
    for (const std::string& line : log.lines()) std::fprintf(stderr, "%s\n", line.c_str());
    return ok ? 0 : 1;
}

bool onPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t at = 0; at <= dirs.size();) {
        std::size_t end = std::min(dirs.find(':', at), dirs.size());
        if (::access((dirs.substr(at, end - at) + "/" + program).c_str(), X_OK) == 0) return true;
        at = end + 1;
    }
    return false;
}

void printRow(const char* label, const std::vector<double>& values) {
    std::printf("  %-22s", label);
    for (double v : values) std::printf(" %9.1f", v * 1000);
    std::printf(" %9.1f ms\n", median(values) * 1000);
}

// Empties `rounds` sets of identical copies of `shape`; false when a contender left entries.
bool measure(const Shape& shape, const std::string& root, const std::string& exe, int rounds) {
    const bool haveTrashCli = shape.withTrashCli && onPath("trash-empty");
    std::printf("Shape \"%s\": %s, each with its .trashinfo\n", shape.name, shape.description);
    std::vector<double> tidewell, rm, trashEmpty, tidewellCpu, rmCpu;
    long peakKb = 0, rmPeakKb = 0;
    bool allEmptied = true;
    for (int r = 0; r < rounds; ++r) {
        std::fprintf(stderr, "%s round %d/%d: building %d copies of the trash...\n", shape.name,
                     r + 1, rounds, haveTrashCli ? 3 : 2);
        const std::string dir = root + "/" + shape.name + "-" + std::to_string(r);
        if (::mkdir(dir.c_str(), 0755) != 0) setupFailure("mkdir " + dir);
        auto build = [&](const char* who) {
            return tw::bench::buildTrash(dir + "/" + who, shape.items, shape.filesPerItem);
        };
        const std::string ours = build("tidewell");
        const std::string plain = build("rm");
        const std::string theirs = haveTrashCli ? build("trash-cli") : "";

        std::fprintf(stderr, "%s round %d/%d: emptying...\n", shape.name, r + 1, rounds);
        // Rotate the order so that no contender always runs first or last.
        for (int slot = 0; slot < 3; ++slot) {
            switch ((slot + r) % 3) {
                case 0: {
                    Run run = runProcess({exe, "--empty-only", ours});
                    tidewell.push_back(run.seconds);
                    tidewellCpu.push_back(run.cpuSeconds);
                    peakKb = std::max(peakKb, run.maxRssKb);
                    if (!run.ok || !isEmptyDir(ours + "/files") || !isEmptyDir(ours + "/info")) {
                        std::fprintf(stderr, "empty_bench: Tidewell's empty left entries\n");
                        allEmptied = false;
                    }
                    break;
                }
                case 1: {
                    Run run = runProcess({"rm", "-rf", "--", plain});
                    rm.push_back(run.seconds);
                    rmCpu.push_back(run.cpuSeconds);
                    rmPeakKb = std::max(rmPeakKb, run.maxRssKb);
                    if (!run.ok) setupFailure("rm -rf " + plain);
                    break;
                }
                case 2: {
                    if (!haveTrashCli) break;
                    // --trash-dir keeps it to this copy: left to itself it would also empty the
                    // user's real trash on every mounted volume.
                    Run run = runProcess({"trash-empty", "--trash-dir=" + theirs},
                                         {"XDG_DATA_HOME=" + dir + "/trash-cli"});
                    if (run.ok && isEmptyDir(theirs + "/files")) trashEmpty.push_back(run.seconds);
                    break;
                }
            }
        }
        tw::bench::removeTree(dir);
    }

    std::printf("  %-22s", "wall time");
    for (int r = 0; r < rounds; ++r) std::printf("   round %d", r + 1);
    std::printf("    median\n");
    printRow("Tidewell empty", tidewell);
    printRow("rm -rf", rm);
    if (!trashEmpty.empty()) printRow("trash-empty", trashEmpty);
    printRow("Tidewell CPU time", tidewellCpu);
    printRow("rm -rf CPU time", rmCpu);
    const double ratio = median(tidewell) / median(rm);
    const double peakMb = peakKb / 1024.0;
    std::printf("  Empty time vs rm -rf:      %.3f x   (target <= %.2f x: %s)\n", ratio,
                kTimeTarget, verdict(ratio <= kTimeTarget));
    std::printf("  CPU time vs rm -rf:        %.3f x   (no waiting for a busy disk in it)\n",
                median(tidewellCpu) / median(rmCpu));
    std::printf("  Peak memory of the empty:  %.1f MB  (target < %.0f MB: %s; rm -rf: %.1f MB)\n",
                peakMb, kMemoryTargetMb, verdict(peakMb < kMemoryTargetMb), rmPeakKb / 1024.0);
    if (!trashEmpty.empty()) {
        std::printf("  Empty time vs trash-empty: %.3f x   (%.1f times as fast)\n",
                    median(tidewell) / median(trashEmpty), median(trashEmpty) / median(tidewell));
    } else if (shape.withTrashCli) {
        std::printf("  Empty time vs trash-empty: not measured (%s)\n",
                    onPath("trash-empty") ? "trash-empty failed to empty its copy"
                                          : "trash-empty not installed");
    }
    std::printf("\n");
    return allEmptied;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--empty-only") == 0) return emptyOnly(argv[2]);

    std::string base = "/var/tmp";
    if (const char* tmp = std::getenv("TMPDIR")) base = tmp;
    int rounds = 3;
    std::string only = "both";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
            base = argv[++i];
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--shape") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--dir DIR] [--rounds N] [--shape folders|flat|both]\n",
                         argv[0]);
            return 2;
        }
    }
    tw::bench::warnIfSanitized();
    char exe[4096];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) setupFailure("readlink /proc/self/exe");
    exe[n] = 0;
    const std::string root = tw::bench::makeWorkDir(base);
    std::printf("Emptying trashes in %s (%s), %d round(s), each contender on its own copy.\n\n",
                root.c_str(), tw::bench::fileSystemName(root).c_str(), rounds);

    bool allEmptied = true;
    for (const Shape& shape : kShapes) {
        if (only == "both" || only == shape.name) allEmptied &= measure(shape, root, exe, rounds);
    }
    tw::bench::removeTree(root);
    return allEmptied ? 0 : 1;
}
