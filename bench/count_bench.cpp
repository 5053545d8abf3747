// Times counting the items of a trash (what every query of a drive's bin does) against the
// least any count must do: one getdents64 pass over files/ and one over info/, in the same
// process, alternating, on trashes of 1 000, 10 000 and 100 000 top-level items.
//
//   count_bench [--dir DIR] [--repeats N]
//
// Exits non-zero only when the benchmark could not be set up or a count was wrong.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/linux/trash_count.h"
#include "platform/linux/unique_fd.h"

namespace {

using tw::linux_platform::UniqueFd;
using Clock = std::chrono::steady_clock;

constexpr double kTarget = 1.2;

// Entries of one directory, read with the same buffer size as the count uses.
std::int64_t bareListing(int trashFd, const char* name) {
    UniqueFd fd(::openat(trashFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) tw::bench::setupFailure(name);
    alignas(dirent64) char buffer[64 * 1024];
    std::int64_t entries = 0;
    for (;;) {
        ssize_t got = ::getdents64(fd.get(), buffer, sizeof buffer);
        if (got <= 0) return entries;
        for (ssize_t at = 0; at < got; ++entries) {
            at += reinterpret_cast<const dirent64*>(buffer + at)->d_reclen;
        }
    }
}

template <typename F>
double timed(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    std::string base = "/var/tmp";
    if (const char* tmp = std::getenv("TMPDIR")) base = tmp;
    int repeats = 31;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
            base = argv[++i];
        } else if (std::strcmp(argv[i], "--repeats") == 0 && i + 1 < argc) {
            repeats = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [--dir DIR] [--repeats N]\n", argv[0]);
            return 2;
        }
    }
    tw::bench::warnIfSanitized();
    const std::string root = tw::bench::makeWorkDir(base);
    std::printf("Counting a trash of N files at its top level (with their .trashinfo files)\n");
    std::printf("in %s (%s), median of %d alternating runs each, warm cache.\n\n", root.c_str(),
                tw::bench::fileSystemName(root).c_str(), repeats);
    std::printf("  %8s %14s %14s %8s\n", "items", "count (ms)", "getdents (ms)", "ratio");

    bool correct = true;
    for (int items : {1000, 10000, 100000}) {
        const std::string trash =
            tw::bench::buildTrash(root + "/t" + std::to_string(items), items, 0);
        UniqueFd fd(::open(trash.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!fd) tw::bench::setupFailure("open " + trash);
        std::vector<double> ours, bare;
        for (int r = -1; r < repeats; ++r) {  // round -1 warms the cache
            std::int64_t counted = -1, listed = 0;
            const double a = timed(
                [&] { counted = tw::linux_platform::countTrashItems(fd.get()).value_or(-1); });
            const double b = timed(
                [&] { listed = bareListing(fd.get(), "files") + bareListing(fd.get(), "info"); });
            if (counted != items || listed != 2 * items + 4) correct = false;
            if (r < 0) continue;
            ours.push_back(a);
            bare.push_back(b);
        }
        const double ratio = tw::bench::median(ours) / tw::bench::median(bare);
        std::printf("  %8d %14.3f %14.3f %7.2fx  (target <= %.1fx: %s)\n", items,
                    tw::bench::median(ours) * 1000, tw::bench::median(bare) * 1000, ratio, kTarget,
                    tw::bench::verdict(ratio <= kTarget));
        tw::bench::removeTree(root + "/t" + std::to_string(items));
    }
    tw::bench::removeTree(root);
    if (!correct) std::fprintf(stderr, "count_bench: a count was wrong\n");
    return correct ? 0 : 1;
}
