// Times emptying a large trash with Tidewell's remover against `rm -rf` of an identical tree
// (and, for the folder shape, against trash-cli's `trash-empty`), and measures the remover's peak
// memory. Two shapes: 1 000 folders of 100 files each, and a flat trash of 200 000 files. A third
// times an empty with an age floor, which reads every record, against the two bare passes it
// can't do without: reading every .trashinfo once, and unlinking the old items with their
// records. Each contender runs as its own process on its own copy of the tree. --items measures
// the shapes at other sizes instead, one after the other (say 400000,1000000: the empty's peak
// memory must not grow with the trash).
//
//   empty_bench [--dir DIR] [--rounds N] [--shape folders|flat|floor|all] [--items N[,N...]]
//
// Exits non-zero only when the benchmark could not be set up or a contender left files behind
// (or, with the floor, removed the wrong ones).

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
#include <ctime>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/linux/dir_entries.h"
#include "platform/linux/remove_log.h"
#include "platform/linux/trash_empty.h"
#include "platform/linux/unique_fd.h"

namespace {

using tw::bench::median;
using tw::bench::Run;
using tw::bench::runProcess;
using tw::bench::setupFailure;
using tw::bench::verdict;
using tw::linux_platform::UniqueFd;

constexpr double kTimeTarget = 1.05;
constexpr double kMemoryTargetMb = 20;
constexpr double kFloorTimeTarget = 1.3;
constexpr double kFloorMemoryTargetMb = 30;
constexpr int kFloorItems = 200000;
// The floor's shape at another size (a hidden option, for quicker runs while tuning).
int floorItems = kFloorItems;
// What runs Tidewell's empty: this program, unless --empty-exe names another build of it.
std::string emptyExe;
constexpr long long kFloorSeconds = 30LL * 86400;

struct Shape {
    const char* name;
    const char* description;  // with the number of items in it
    int items;
    int filesPerItem;   // 0: each item is a file
    bool withTrashCli;  // trash-empty takes minutes on the flat shape
};

constexpr Shape kShapes[] = {
    {"folders", "%s folders of 100 files", 1000, 100, true},
    {"flat", "%s files in files/ itself", 200000, 0, false},
};

// 1234567 as "1 234 567".
std::string grouped(long long n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
        out += digits[i];
    }
    return out;
}

// Entries of the directory at `path` but "." and ".."; -1 when it can't be read.
long entryCount(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return errno == ENOENT ? 0 : -1;
    DIR* d = ::fdopendir(::dup(fd.get()));
    if (!d) return -1;
    long count = 0;
    while (dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) ++count;
    }
    ::closedir(d);
    return count;
}

bool isEmptyDir(const std::string& path) {
    return entryCount(path) == 0;
}

// Child mode: only the empty, so that its peak memory is the remover's own. It fills a
// report, as the program's empty does.
int emptyOnly(const char* trash, long long keepSeconds) {
    UniqueFd fd(::open(trash, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) return 3;
    tw::linux_platform::RemoveLog log;
    tw::linux_platform::EmptyOptions options;
    options.keepSeconds = keepSeconds;
    tw::EmptyPlace place;
    bool ok = tw::linux_platform::emptyTrashDirectory(fd.get(), trash, log, options, &place);
    for (const std::string& line : log.lines()) std::fprintf(stderr, "%s\n", line.c_str());
    return ok ? 0 : 1;
}

// Child mode, the first bare pass of the floor: lists info/ and reads every record once.
int readRecords(const char* trash) {
    UniqueFd info(
        ::open((std::string(trash) + "/info").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!info) return 3;
    tw::linux_platform::PackedEntries entries;
    if (tw::linux_platform::listDirectory(info.get(), entries) != 0) return 3;
    char buffer[4096];
    tw::linux_platform::DirEntry e;
    while (entries.next(e)) {
        UniqueFd fd(::openat(info.get(), e.name, O_RDONLY | O_CLOEXEC | O_NOATIME));
        if (!fd || ::read(fd.get(), buffer, sizeof buffer) <= 0) return 1;
    }
    return 0;
}

// Child mode, the second bare pass: unlinks the old items (the even ones) and their records,
// knowing their names.
int unlinkOld(const char* trash, int items) {
    UniqueFd files(
        ::open((std::string(trash) + "/files").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    UniqueFd info(
        ::open((std::string(trash) + "/info").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!files || !info) return 3;
    for (int i = 0; i < items; i += 2) {
        const std::string name = tw::bench::flatItemName(i);
        if (::unlinkat(files.get(), name.c_str(), 0) != 0 ||
            ::unlinkat(info.get(), (name + ".trashinfo").c_str(), 0) != 0) {
            return 1;
        }
    }
    return 0;
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

void printHeader(int rounds) {
    std::printf("  %-22s", "wall time");
    for (int r = 0; r < rounds; ++r) std::printf("   round %d", r + 1);
    std::printf("    median\n");
}

void printRow(const char* label, const std::vector<double>& values) {
    std::printf("  %-22s", label);
    for (double v : values) std::printf(" %9.1f", v * 1000);
    std::printf(" %9.1f ms\n", median(values) * 1000);
}

// Empties `rounds` sets of identical copies of `shape`; false when a contender left entries.
bool measure(const Shape& shape, const std::string& root, int rounds) {
    const bool haveTrashCli = shape.withTrashCli && onPath("trash-empty");
    char description[128];
    std::snprintf(description, sizeof description, shape.description, grouped(shape.items).c_str());
    std::printf("Shape \"%s\": %s, each with its .trashinfo\n", shape.name, description);
    std::vector<double> tidewell, rm, trashEmpty, tidewellCpu, rmCpu;
    long peakKb = 0, rmPeakKb = 0;
    bool allEmptied = true;
    for (int r = 0; r < rounds; ++r) {
        std::fprintf(stderr, "%s round %d/%d: building %d copies of the trash...\n", shape.name,
                     r + 1, rounds, haveTrashCli ? 3 : 2);
        const std::string dir = root + "/" + shape.name + "-" + std::to_string(r);
        if (::mkdir(dir.c_str(), 0755) != 0) setupFailure("mkdir " + dir);
        std::vector<std::string> homes = {dir + "/tidewell", dir + "/rm"};
        if (haveTrashCli) homes.push_back(dir + "/trash-cli");
        const std::vector<std::string> trashes =
            tw::bench::buildTrashes(homes, shape.items, shape.filesPerItem);
        const std::string& ours = trashes[0];
        const std::string& plain = trashes[1];
        const std::string theirs = haveTrashCli ? trashes[2] : "";

        std::fprintf(stderr, "%s round %d/%d: emptying...\n", shape.name, r + 1, rounds);
        // Rotate the order so that no contender always runs first or last.
        for (int slot = 0; slot < 3; ++slot) {
            switch ((slot + r) % 3) {
                case 0: {
                    Run run = runProcess({emptyExe, "--empty-only", ours, "0"});
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

    printHeader(rounds);
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

// The floor's shape: half of a flat trash deleted long ago, half just now, emptied with a floor
// of 30 days; against the two bare passes, each in a process of its own, on a second copy.
bool measureFloor(const std::string& root, const std::string& exe, int rounds) {
    std::printf(
        "Shape \"floor\": %s files in files/ itself, each with its .trashinfo, half of them "
        "deleted long ago, emptied with a floor of 30 days\n",
        grouped(floorItems).c_str());
    const std::time_t now = std::time(nullptr);
    char recent[32];
    std::strftime(recent, sizeof recent, "%Y-%m-%dT%H:%M:%S", std::localtime(&now));
    const std::string keep = std::to_string(kFloorSeconds);
    std::vector<double> tidewell, reading, unlinking, bare, tidewellCpu, bareCpu;
    long peakKb = 0;
    bool right = true;
    const auto leftHalf = [](const std::string& trash) {
        return entryCount(trash + "/files") == floorItems / 2 &&
               entryCount(trash + "/info") == floorItems / 2;
    };
    for (int r = 0; r < rounds; ++r) {
        std::fprintf(stderr, "floor round %d/%d: building 2 copies of the trash...\n", r + 1,
                     rounds);
        const std::string dir = root + "/floor-" + std::to_string(r);
        if (::mkdir(dir.c_str(), 0755) != 0) setupFailure("mkdir " + dir);
        const std::vector<std::string> trashes =
            tw::bench::buildTrashes({dir + "/tidewell", dir + "/bare"}, floorItems, 0, recent);
        const std::string& ours = trashes[0];
        const std::string& plain = trashes[1];
        std::fprintf(stderr, "floor round %d/%d: emptying...\n", r + 1, rounds);
        for (int slot = 0; slot < 2; ++slot) {
            if ((slot + r) % 2 == 0) {
                Run run = runProcess({emptyExe, "--empty-only", ours, keep});
                tidewell.push_back(run.seconds);
                tidewellCpu.push_back(run.cpuSeconds);
                peakKb = std::max(peakKb, run.maxRssKb);
                if (!run.ok || !leftHalf(ours)) {
                    std::fprintf(stderr,
                                 "empty_bench: the floor's empty did not keep the recent half\n");
                    right = false;
                }
            } else {
                Run read = runProcess({exe, "--read-records", plain});
                // What the first pass left to write is the second's to pay for, as it is in
                // one empty.
                Run unlink =
                    runProcess({exe, "--unlink-old", plain, std::to_string(floorItems)}, {}, false);
                if (!read.ok || !unlink.ok || !leftHalf(plain))
                    setupFailure("bare passes on " + plain);
                reading.push_back(read.seconds);
                unlinking.push_back(unlink.seconds);
                bare.push_back(read.seconds + unlink.seconds);
                bareCpu.push_back(read.cpuSeconds + unlink.cpuSeconds);
            }
        }
        tw::bench::removeTree(dir);
    }

    printHeader(rounds);
    printRow("Tidewell empty", tidewell);
    printRow("read every record", reading);
    printRow("unlink the old half", unlinking);
    printRow("both bare passes", bare);
    printRow("Tidewell CPU time", tidewellCpu);
    printRow("bare passes CPU time", bareCpu);
    const double ratio = median(tidewell) / median(bare);
    const double peakMb = peakKb / 1024.0;
    tw::bench::printEmptyVerdict(ratio, kFloorTimeTarget, median(tidewellCpu) / median(bareCpu),
                                 peakMb, kFloorMemoryTargetMb);
    return right;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--empty-only") == 0) {
        return emptyOnly(argv[2], std::atoll(argv[3]));
    }
    if (argc == 3 && std::strcmp(argv[1], "--read-records") == 0) return readRecords(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "--unlink-old") == 0) {
        return unlinkOld(argv[2], std::atoi(argv[3]));
    }

    std::string base = "/var/tmp";
    if (const char* tmp = std::getenv("TMPDIR")) base = tmp;
    int rounds = 3;
    std::string only = "all";
    std::vector<int> sizes;  // empty: each shape's own
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
            base = argv[++i];
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--shape") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else if (std::strcmp(argv[i], "--items") == 0 && i + 1 < argc) {
            for (const char* at = argv[++i]; *at;) {
                char* end;
                sizes.push_back(std::max(2, static_cast<int>(std::strtol(at, &end, 10))));
                at = *end == ',' ? end + 1 : end + std::strlen(end);
            }
        } else if (std::strcmp(argv[i], "--empty-exe") == 0 && i + 1 < argc) {
            // Hidden: another build's empty_bench empties Tidewell's copies (before and after).
            emptyExe = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: %s [--dir DIR] [--rounds N] [--shape folders|flat|floor|all] "
                         "[--items N[,N...]]\n",
                         argv[0]);
            return 2;
        }
    }
    tw::bench::warnIfSanitized();
    const std::string exe = tw::bench::ownExecutable();
    const std::string root = tw::bench::makeWorkDir(base);
    std::printf("Emptying trashes in %s (%s), %d round(s), each contender on its own copy.\n\n",
                root.c_str(), tw::bench::fileSystemName(root).c_str(), rounds);

    if (emptyExe.empty()) emptyExe = exe;
    bool allEmptied = true;
    for (Shape shape : kShapes) {
        if (only != "all" && only != shape.name) continue;
        for (int items : sizes.empty() ? std::vector<int>{shape.items} : sizes) {
            shape.items = items;
            allEmptied &= measure(shape, root, rounds);
        }
    }
    if (only == "all" || only == "floor") {
        for (int items : sizes.empty() ? std::vector<int>{kFloorItems} : sizes) {
            floorItems = items / 2 * 2;
            allEmptied &= measureFloor(root, exe, rounds);
        }
    }
    tw::bench::removeTree(root);
    return allEmptied ? 0 : 1;
}
