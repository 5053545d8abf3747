// Times the two jobs of the size limit against the bare passes they can't do without.
//
//   sizing: measuring a trash of 1 000 folders of 100 files whose directorysizes cache is
//           complete, against one pass that stats every top-level item and reads the cache
//           (target at most 1.3x). Both run in this process, alternately, many times over: each
//           takes milliseconds, which a process of its own would drown.
//   limit:  emptying a flat trash of 200 000 files (half deleted long ago) down to a limit that
//           the old half must go for, against the floor's two bare passes over a second copy,
//           each a process of its own (empty_bench's: reading every record, unlinking the old
//           half by name; target at most 1.3x); the empty's peak memory (target under 30 MB).
//
//   size_bench [--dir DIR] [--rounds N] [--shape sizing|limit|all] [--items N]
//
// Exits non-zero only when the benchmark could not be set up or the limit removed the wrong
// items.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/linux/dir_entries.h"
#include "platform/linux/trash_empty.h"
#include "platform/linux/trash_limit.h"
#include "platform/linux/trash_sizing.h"
#include "platform/linux/unique_fd.h"

namespace {

using tw::bench::median;
using tw::bench::Run;
using tw::bench::runProcess;
using tw::bench::setupFailure;
using tw::bench::verdict;
using tw::linux_platform::UniqueFd;
using Clock = std::chrono::steady_clock;

constexpr double kTimeTarget = 1.3;
constexpr double kMemoryTargetMb = 30;
constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr int kSizingRepeats = 21;
// Each file of the limit's trash takes one block.
constexpr std::uint64_t kBlock = 4096;

UniqueFd openTrash(const std::string& trash) {
    UniqueFd fd(::open(trash.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) setupFailure("open " + trash);
    return fd;
}

// Tidewell's measure of one trash, the cache read from disk every time (nothing remembered).
bool measureOnce(int trashFd, const std::string& trash, std::int64_t keepSeconds) {
    tw::TrashMeasure out;
    tw::linux_platform::DirectorySizes used;
    tw::linux_platform::measureTrashDirectory(
        trashFd, trash, keepSeconds, tw::linux_platform::EmptyStart::now(), nullptr, used, out);
    return out.error.empty() && out.oldItems + out.recentItems == kFolders;
}

// The bare pass: every top-level item looked at once, the cache read whole.
bool barePass(int trashFd) {
    UniqueFd files(::openat(trashFd, "files", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    tw::linux_platform::PackedEntries entries;
    if (!files || tw::linux_platform::listDirectory(files.get(), entries) != 0) return false;
    tw::linux_platform::DirEntry e;
    struct stat st;
    while (entries.next(e)) {
        if (::fstatat(files.get(), e.name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    }
    UniqueFd cache(::openat(trashFd, "directorysizes", O_RDONLY | O_CLOEXEC));
    if (!cache || ::fstat(cache.get(), &st) != 0) return false;
    std::string text(static_cast<std::size_t>(st.st_size), '\0');
    return ::read(cache.get(), text.data(), text.size()) == st.st_size;
}

double seconds(const std::function<bool()>& job) {
    const auto start = Clock::now();
    if (!job()) setupFailure("a sizing pass failed");
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void measureSizing(const std::string& root) {
    std::printf("Shape \"sizing\": %d folders of %d files, their directorysizes cache complete\n",
                kFolders, kFilesPerFolder);
    const std::string trash = tw::bench::buildTrash(root + "/sizing", kFolders, kFilesPerFolder);
    const UniqueFd fd = openTrash(trash);
    // The first measure walks every folder and completes the cache.
    const double first = seconds([&] { return measureOnce(fd.get(), trash, 0); });
    std::vector<double> ours, floored, bare;
    for (int r = 0; r < kSizingRepeats; ++r) {
        bare.push_back(seconds([&] { return barePass(fd.get()); }));
        ours.push_back(seconds([&] { return measureOnce(fd.get(), trash, 0); }));
        floored.push_back(seconds([&] { return measureOnce(fd.get(), trash, 30LL * 86400); }));
    }
    const double ratio = median(ours) / median(bare);
    std::printf("  first measure (walks every folder, writes the cache): %.1f ms\n", first * 1000);
    std::printf("  median of %d: measure %.2f ms, with a floor %.2f ms, bare pass %.2f ms\n",
                kSizingRepeats, median(ours) * 1000, median(floored) * 1000, median(bare) * 1000);
    std::printf("  Measure vs bare pass:      %.3f x   (target <= %.2f x: %s)\n", ratio,
                kTimeTarget, verdict(ratio <= kTimeTarget));
    std::printf("  With a floor (every record read): %.3f x\n\n", median(floored) / median(bare));
    tw::bench::removeTree(root + "/sizing");
}

// Child mode: the limit's empty of one trash, as the shell runs it.
int limitOnly(const char* trash, std::uint64_t limit) {
    const UniqueFd fd = openTrash(trash);
    tw::linux_platform::RemoveLog log;
    tw::linux_platform::EmptyOptions options;
    auto snapshot = tw::linux_platform::TrashSnapshot::take(fd.get(), trash, log, options);
    std::vector<tw::linux_platform::AgedSize> removable;
    std::uint64_t total = 0;
    snapshot.weigh(options, removable, total);
    options.deletedBy = tw::linux_platform::limitCutoff(removable, total, limit);
    removable = {};
    tw::EmptyPlace place;
    tw::linux_platform::NamesLeft names;
    const bool ok = snapshot.empty(log, options, place, names);
    for (const std::string& line : log.lines()) std::fprintf(stderr, "%s\n", line.c_str());
    return ok ? 0 : 1;
}

long entryCount(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    tw::linux_platform::PackedEntries entries;
    if (!fd || tw::linux_platform::listDirectory(fd.get(), entries) != 0) return -1;
    return static_cast<long>(entries.count());
}

bool measureLimit(const std::string& root, const std::string& exe, int items, int rounds) {
    std::printf(
        "Shape \"limit\": %d files of one block in files/ itself, half of them deleted long ago, "
        "emptied down to the size of the other half\n",
        items);
    const std::string emptyBench = exe.substr(0, exe.rfind('/')) + "/empty_bench";
    const std::time_t now = std::time(nullptr);
    char recent[32];
    std::strftime(recent, sizeof recent, "%Y-%m-%dT%H:%M:%S", std::localtime(&now));
    const std::string limit = std::to_string(items / 2 * kBlock);
    std::vector<double> ours, bare, oursCpu, bareCpu;
    long peakKb = 0;
    bool right = true;
    const auto leftHalf = [&](const std::string& trash) {
        return entryCount(trash + "/files") == items / 2 &&
               entryCount(trash + "/info") == items / 2;
    };
    for (int r = 0; r < rounds; ++r) {
        std::fprintf(stderr, "limit round %d/%d: building 2 copies of the trash...\n", r + 1,
                     rounds);
        const std::string dir = root + "/limit-" + std::to_string(r);
        if (::mkdir(dir.c_str(), 0755) != 0) setupFailure("mkdir " + dir);
        const std::vector<std::string> trashes = tw::bench::buildTrashes(
            {dir + "/tidewell", dir + "/bare"}, items, 0, recent, std::string(1, 'x'));
        for (int slot = 0; slot < 2; ++slot) {
            if ((slot + r) % 2 == 0) {
                const Run run = runProcess({exe, "--limit-only", trashes[0], limit});
                ours.push_back(run.seconds);
                oursCpu.push_back(run.cpuSeconds);
                peakKb = std::max(peakKb, run.maxRssKb);
                if (!run.ok || !leftHalf(trashes[0])) {
                    std::fprintf(stderr, "size_bench: the limit did not keep the recent half\n");
                    right = false;
                }
            } else {
                const Run read = runProcess({emptyBench, "--read-records", trashes[1]});
                const Run unlink = runProcess(
                    {emptyBench, "--unlink-old", trashes[1], std::to_string(items)}, {}, false);
                if (!read.ok || !unlink.ok || !leftHalf(trashes[1])) {
                    setupFailure("bare passes on " + trashes[1]);
                }
                bare.push_back(read.seconds + unlink.seconds);
                bareCpu.push_back(read.cpuSeconds + unlink.cpuSeconds);
            }
        }
        tw::bench::removeTree(dir);
    }
    const double ratio = median(ours) / median(bare);
    const double peakMb = peakKb / 1024.0;
    std::printf(
        "  median of %d: limit's empty %.2f s (CPU %.2f s), bare passes %.2f s (CPU %.2f s)\n",
        rounds, median(ours), median(oursCpu), median(bare), median(bareCpu));
    tw::bench::printEmptyVerdict(ratio, kTimeTarget, median(oursCpu) / median(bareCpu), peakMb,
                                 kMemoryTargetMb);
    return right;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--limit-only") == 0) {
        return limitOnly(argv[2], std::strtoull(argv[3], nullptr, 10));
    }
    std::string base = "/var/tmp";
    if (const char* tmp = std::getenv("TMPDIR")) base = tmp;
    int rounds = 3;
    int items = 200000;
    std::string only = "all";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
            base = argv[++i];
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--shape") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else if (std::strcmp(argv[i], "--items") == 0 && i + 1 < argc) {
            items = std::max(2, std::atoi(argv[++i])) / 2 * 2;
        } else {
            std::fprintf(stderr,
                         "usage: %s [--dir DIR] [--rounds N] [--shape sizing|limit|all] "
                         "[--items N]\n",
                         argv[0]);
            return 2;
        }
    }
    tw::bench::warnIfSanitized();
    const std::string exe = tw::bench::ownExecutable();
    const std::string root = tw::bench::makeWorkDir(base);
    std::printf("Sizing and limiting trashes in %s (%s).\n\n", root.c_str(),
                tw::bench::fileSystemName(root).c_str());
    bool right = true;
    if (only == "all" || only == "sizing") measureSizing(root);
    if (only == "all" || only == "limit") right = measureLimit(root, exe, items, rounds);
    tw::bench::removeTree(root);
    return right ? 0 : 1;
}
