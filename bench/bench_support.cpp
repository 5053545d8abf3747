#include "bench_support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tw::bench {

using linux_platform::UniqueFd;

void setupFailure(const std::string& what) {
    std::fprintf(stderr, "bench: setup failed: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(2);
}

namespace {

// When the old half of a floored trash was deleted: the date its records hold, and their own
// time (that moment in UTC; a zone's hours make no difference to a floor of days).
constexpr char kOldDateText[] = "2024-05-06T07:08:09";
constexpr time_t kOldDate = 1714979289;

void makeDir(int parent, const char* name) {
    if (::mkdirat(parent, name, 0755) != 0) setupFailure(std::string("mkdir ") + name);
}

void writeAt(int dir, const char* name, const std::string& content) {
    UniqueFd fd(::openat(dir, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!fd ||
        ::write(fd.get(), content.data(), content.size()) != static_cast<ssize_t>(content.size())) {
        setupFailure(std::string("create ") + name);
    }
}

}  // namespace

UniqueFd openDir(int parent, const char* name) {
    UniqueFd fd(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) setupFailure(std::string("open ") + name);
    return fd;
}

std::string flatItemName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "file-%06d.txt", i);
    return name;
}

std::vector<std::string> buildTrashes(const std::vector<std::string>& homes, int items,
                                      int filesPerItem, const std::string& recentDate,
                                      const std::string& content) {
    struct Copy {
        UniqueFd files, info;
    };
    std::vector<Copy> copies;
    std::vector<std::string> trashes;
    for (const std::string& home : homes) {
        if (::mkdir(home.c_str(), 0755) != 0) setupFailure("mkdir " + home);
        UniqueFd homeFd = openDir(AT_FDCWD, home.c_str());
        makeDir(homeFd.get(), "Trash");
        UniqueFd trash = openDir(homeFd.get(), "Trash");
        makeDir(trash.get(), "files");
        makeDir(trash.get(), "info");
        copies.push_back({openDir(trash.get(), "files"), openDir(trash.get(), "info")});
        trashes.push_back(home + "/Trash");
    }
    char name[64], record[80];
    for (int i = 0; i < items; ++i) {
        if (filesPerItem == 0) {
            std::snprintf(name, sizeof name, "%s", flatItemName(i).c_str());
        } else {
            std::snprintf(name, sizeof name, "folder-%04d", i);
        }
        std::snprintf(record, sizeof record, "%s.trashinfo", name);
        const std::string date = recentDate.empty() || i % 2 == 0 ? kOldDateText : recentDate;
        const std::string info =
            std::string("[Trash Info]\nPath=/home/user/") + name + "\nDeletionDate=" + date + "\n";
        for (const Copy& copy : copies) {
            if (filesPerItem == 0) {
                writeAt(copy.files.get(), name, content);
            } else {
                makeDir(copy.files.get(), name);
                UniqueFd dir = openDir(copy.files.get(), name);
                for (int f = 0; f < filesPerItem; ++f) {
                    char file[32];
                    std::snprintf(file, sizeof file, "file-%03d.txt", f);
                    writeAt(dir.get(), file, content);
                }
            }
            writeAt(copy.info.get(), record, info);
            // Written when it was deleted, as a trashing program leaves it.
            if (date != recentDate) {
                const struct timespec times[2] = {{kOldDate, 0}, {kOldDate, 0}};
                if (::utimensat(copy.info.get(), record, times, 0) != 0) setupFailure(record);
            }
        }
    }
    return trashes;
}

std::string buildTrash(const std::string& home, int items, int filesPerItem) {
    return buildTrashes({home}, items, filesPerItem).front();
}

std::string makeWorkDir(const std::string& base) {
    std::string root = base + "/tidewell-bench-XXXXXX";
    if (!::mkdtemp(root.data())) setupFailure("mkdtemp in " + base);
    return root;
}

void removeTree(const std::string& path) {
    pid_t pid = ::fork();
    if (pid == 0) {
        ::execlp("rm", "rm", "-rf", "--", path.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    if (pid > 0) ::waitpid(pid, &status, 0);
}

// Runs argv as a child process (with extra environment), timing it from fork to reaping.
Run runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               bool syncFirst) {
    // The tree's creation is not to be paid for by whoever runs first.
    if (syncFirst) ::sync();
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    pid_t pid = ::fork();
    if (pid < 0) setupFailure("fork");
    if (pid == 0) {
        for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
        int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::execvp(args[0], args.data());
        std::fprintf(stderr, "bench: cannot run %s: %s\n", args[0], std::strerror(errno));
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

void printEmptyVerdict(double ratio, double timeTarget, double cpuRatio, double peakMb,
                       double memoryTargetMb) {
    std::printf("  Empty time vs bare passes: %.3f x   (target <= %.2f x: %s)\n", ratio, timeTarget,
                verdict(ratio <= timeTarget));
    std::printf("  CPU time vs bare passes:   %.3f x\n", cpuRatio);
    std::printf("  Peak memory of the empty:  %.1f MB  (target < %.0f MB: %s)\n\n", peakMb,
                memoryTargetMb, verdict(peakMb < memoryTargetMb));
}

std::string ownExecutable() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) setupFailure("readlink /proc/self/exe");
    return std::string(path, static_cast<std::size_t>(n));
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
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

void warnIfSanitized() {
#if defined(__SANITIZE_ADDRESS__)
    std::printf(
        "NOTE: built with sanitizers; time and memory are not representative.\n"
        "      Configure with -DTIDEWELL_SANITIZE=OFF for real numbers.\n\n");
#endif
}

}  // namespace tw::bench
