// Times emptying a large trash with Tidewell's remover against `rm -rf` of an identical tree
// and against trash-cli's `trash-empty`, measures the remover's peak memory, and times counting
// the items. Each contender runs as its own process on its own copy of the tree.
//
//   empty_bench [--dir DIR] [--rounds N]
//
// Exits non-zero only when the benchmark could not be set up or a contender left files behind.

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/remove_log.h"
#include "platform/linux/trash_count.h"
#include "platform/linux/trash_empty.h"
#include "platform/linux/unique_fd.h"

namespace {

using tw::linux_platform::UniqueFd;
using Clock = std::chrono::steady_clock;

constexpr int kDirectories = 1000;
constexpr int kFilesPerDirectory = 100;

struct Run {
    double seconds = 0;
    long maxRssKb = 0;
    bool ok = false;
};

[[noreturn]] void setupFailure(const std::string& what) {
    std::fprintf(stderr, "empty_bench: setup failed: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(2);
}

void makeDir(int parent, const char* name) {
    if (::mkdirat(parent, name, 0755) != 0) setupFailure(std::string("mkdir ") + name);
}

UniqueFd openDir(int parent, const char* name) {
    UniqueFd fd(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) setupFailure(std::string("open ") + name);
    return fd;
}

void writeAt(int dir, const std::string& name, const std::string& content) {
    UniqueFd fd(::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!fd ||
        ::write(fd.get(), content.data(), content.size()) != static_cast<ssize_t>(content.size())) {
        setupFailure("create " + name);
    }
}

// <home>/Trash with kDirectories items of kFilesPerDirectory files each, and their .trashinfo.
std::string buildTrash(const std::string& home) {
    if (::mkdir(home.c_str(), 0755) != 0) setupFailure("mkdir " + home);
    UniqueFd homeFd = openDir(AT_FDCWD, home.c_str());
    makeDir(homeFd.get(), "Trash");
    UniqueFd trash = openDir(homeFd.get(), "Trash");
    makeDir(trash.get(), "files");
    makeDir(trash.get(), "info");
    UniqueFd files = openDir(trash.get(), "files");
    UniqueFd info = openDir(trash.get(), "info");
    char name[32];
    for (int d = 0; d < kDirectories; ++d) {
        std::snprintf(name, sizeof name, "folder-%04d", d);
        makeDir(files.get(), name);
        UniqueFd dir = openDir(files.get(), name);
        for (int f = 0; f < kFilesPerDirectory; ++f) {
            char file[32];
            std::snprintf(file, sizeof file, "file-%03d.txt", f);
            writeAt(dir.get(), file, "");
        }
        writeAt(info.get(), std::string(name) + ".trashinfo",
                std::string("[Trash Info]\nPath=/home/user/") + name +
                    "\nDeletionDate=2024-05-06T07:08:09\n");
    }
    return home + "/Trash";
}

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

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::string fileSystemName(const std::string& path) {
    struct statfs fs;
    if (::statfs(path.c_str(), &fs) != 0) return "?";
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0xEF53:
            return "ext2/3/4";
        case 0x01021994:
            return "tmpfs";
        case 0x9123683E:
            return "btrfs";
        case 0x58465342:
            return "xfs";
        case 0x794C7630:
            return "overlay";
        case 0xF2F52010:
            return "f2fs";
        default:
            return "other";
    }
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

void printRow(const char* label, const std::vector<double>& values, const char* unit,
              double scale) {
    std::printf("  %-22s", label);
    for (double v : values) std::printf(" %9.1f", v * scale);
    std::printf(" %9.1f %s\n", median(values) * scale, unit);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--empty-only") == 0) return emptyOnly(argv[2]);

    std::string base = "/var/tmp";
    if (const char* tmp = std::getenv("TMPDIR")) base = tmp;
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
            base = argv[++i];
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [--dir DIR] [--rounds N]\n", argv[0]);
            return 2;
        }
    }
#if defined(__SANITIZE_ADDRESS__)
    std::printf(
        "NOTE: built with sanitizers; time and memory are not representative.\n"
        "      Configure with -DTIDEWELL_SANITIZE=OFF for real numbers.\n\n");
#endif

    std::string root = base + "/tidewell-bench-XXXXXX";
    if (!::mkdtemp(root.data())) setupFailure("mkdtemp in " + base);
    const std::string self = "/proc/self/exe";
    char exe[4096];
    ssize_t n = ::readlink(self.c_str(), exe, sizeof exe - 1);
    if (n <= 0) setupFailure("readlink /proc/self/exe");
    exe[n] = 0;
    const bool haveTrashCli = onPath("trash-empty");

    std::printf("Emptying a trash of %d files in %d folders (%d items, with .trashinfo files)\n",
                kDirectories * kFilesPerDirectory, kDirectories, kDirectories);
    std::printf("in %s (%s), %d round(s), each contender on its own identical copy.\n\n",
                root.c_str(), fileSystemName(root).c_str(), rounds);

    std::vector<double> tidewell, rm, trashEmpty, counting;
    long peakKb = 0, rmPeakKb = 0;
    bool allEmptied = true;
    for (int r = 0; r < rounds; ++r) {
        std::fprintf(stderr, "round %d/%d: building %d copies of the trash...\n", r + 1, rounds,
                     haveTrashCli ? 3 : 2);
        const std::string dir = root + "/round-" + std::to_string(r);
        if (::mkdir(dir.c_str(), 0755) != 0) setupFailure("mkdir " + dir);
        const std::string ours = buildTrash(dir + "/tidewell");
        const std::string plain = buildTrash(dir + "/rm");
        const std::string theirs = haveTrashCli ? buildTrash(dir + "/trash-cli") : "";

        {
            UniqueFd fd(::open(ours.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            for (int i = 0; i < 5; ++i) {
                const auto start = Clock::now();
                std::int64_t items = tw::linux_platform::countTrashItems(fd.get());
                counting.push_back(std::chrono::duration<double>(Clock::now() - start).count());
                if (items != kDirectories) {
                    std::fprintf(stderr, "empty_bench: counted %lld items, expected %d\n",
                                 static_cast<long long>(items), kDirectories);
                    allEmptied = false;
                }
            }
        }

        std::fprintf(stderr, "round %d/%d: emptying...\n", r + 1, rounds);
        // Rotate the order so that no contender always runs first or last.
        for (int slot = 0; slot < 3; ++slot) {
            switch ((slot + r) % 3) {
                case 0: {
                    Run run = runProcess({exe, "--empty-only", ours});
                    tidewell.push_back(run.seconds);
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
    }
    runProcess({"rm", "-rf", "--", root});

    std::printf("  %-22s", "wall time");
    for (int r = 0; r < rounds; ++r) std::printf("   round %d", r + 1);
    std::printf("    median\n");
    printRow("Tidewell empty", tidewell, "ms", 1000);
    printRow("rm -rf", rm, "ms", 1000);
    if (!trashEmpty.empty()) printRow("trash-empty", trashEmpty, "ms", 1000);
    std::printf("\n");

    const double ratio = median(tidewell) / median(rm);
    const double peakMb = peakKb / 1024.0;
    const double countMs = median(counting) * 1000;
    auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
    std::printf("Empty time vs rm -rf:      %.3f x   (target <= 1.05 x: %s)\n", ratio,
                verdict(ratio <= 1.05));
    std::printf("Peak memory of the empty:  %.1f MB  (target < 20 MB: %s; rm -rf: %.1f MB)\n",
                peakMb, verdict(peakMb < 20), rmPeakKb / 1024.0);
    std::printf("Counting %d items:       %.3f ms (target < 50 ms: %s; median of %zu)\n",
                kDirectories, countMs, verdict(countMs < 50), counting.size());
    if (!trashEmpty.empty()) {
        std::printf("Empty time vs trash-empty: %.3f x   (%.1f times as fast)\n",
                    median(tidewell) / median(trashEmpty), median(trashEmpty) / median(tidewell));
    } else {
        std::printf(
            "Empty time vs trash-empty: not measured (%s)\n",
            haveTrashCli ? "trash-empty failed to empty its copy" : "trash-empty not installed");
    }
    return allEmptied ? 0 : 1;
}
