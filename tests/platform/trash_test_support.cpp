#include "platform/trash_test_support.h"

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace tw::test {

namespace {

void check(bool ok, const std::string& what) {
    if (!ok) throw std::system_error(errno, std::generic_category(), what);
}

void makeFileAt(int dirFd, const char* name) {
    const int file = ::openat(dirFd, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    check(file >= 0, std::string("create ") + name);
    ::close(file);
}

}  // namespace

TempDir::TempDir() {
    char pattern[] = "/tmp/tidewell-test-XXXXXX";
    check(::mkdtemp(pattern) != nullptr, "mkdtemp");
    path_ = pattern;
    check(::chmod(path_.c_str(), 0755) == 0, "chmod " + path_);
}

TempDir::~TempDir() {
    // rm copes with what the tests leave: read-only trees, mount points and deep nesting.
    runInChild([&] {
        ::execlp("rm", "rm", "-rf", "--one-file-system", "--", path_.c_str(),
                 static_cast<char*>(nullptr));
        return 127;
    });
}

std::string TempDir::operator/(std::string_view name) const {
    return path_ + "/" + std::string(name);
}

void makeDirs(const std::string& path, mode_t mode) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    check(!ec && ::chmod(path.c_str(), mode) == 0, "mkdir " + path);
}

void writeFile(const std::string& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void makeSymlink(const std::string& target, const std::string& link) {
    check(::symlink(target.c_str(), link.c_str()) == 0, "symlink " + link);
}

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

void chownTree(const std::string& path, uid_t uid, gid_t gid) {
    check(::lchown(path.c_str(), uid, gid) == 0, "lchown " + path);
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
        check(::lchown(entry.path().c_str(), uid, gid) == 0, "lchown " + entry.path().string());
    }
}

void trashItem(const std::string& trash, const std::string& name, bool directory) {
    makeDirs(trash + "/files");
    makeDirs(trash + "/info");
    if (directory) {
        makeDirs(trash + "/files/" + name);
        writeFile(trash + "/files/" + name + "/inner", "inner");
    } else {
        writeFile(trash + "/files/" + name, "content of " + name);
    }
    // Written when it was deleted, as a trashing program leaves it.
    struct tm deleted = {};
    deleted.tm_year = 2024 - 1900;
    deleted.tm_mday = 2;
    deleted.tm_hour = 3;
    deleted.tm_isdst = -1;
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &deleted);
    const std::string record = trash + "/info/" + name + ".trashinfo";
    writeFile(record, "[Trash Info]\nPath=/home/user/" + name + "\nDeletionDate=" + date + "\n");
    const struct timespec times[2] = {{std::mktime(&deleted), 0}, {std::mktime(&deleted), 0}};
    check(::utimensat(AT_FDCWD, record.c_str(), times, 0) == 0, "date " + record);
}

namespace {
struct timespec coarseNow() {
    struct timespec t;
    ::clock_gettime(CLOCK_REALTIME_COARSE, &t);
    return t;
}
}  // namespace

void nextClockTick() {
    const struct timespec began = coarseNow();
    struct timespec t;
    do {
        t = coarseNow();
    } while (t.tv_sec == began.tv_sec && t.tv_nsec == began.tv_nsec);
}

// An item made a moment ago whose stamp happens to be round (a multiple of 10 ms, say) could
// pass for one stamped coarsely during an empty that begins now, and be kept: wait until the
// empty's own reading of the clocks says otherwise, however long that takes.
void settleBeforeEmpty(const std::string& root) {
    std::vector<struct timespec> stamps;
    std::error_code error;
    const auto options = std::filesystem::directory_options::skip_permission_denied;
    for (std::filesystem::recursive_directory_iterator it(root, options, error), end;
         !error && it != end; it.increment(error)) {
        struct stat st;
        if (::lstat(it->path().c_str(), &st) != 0) continue;
        stamps.push_back(st.st_ctim);
        stamps.push_back(st.st_mtim);
    }
    struct timespec began, now;
    ::clock_gettime(CLOCK_BOOTTIME, &began);
    for (;;) {
        const auto start = linux_platform::EmptyStart::now();
        bool settled = true;
        for (const struct timespec& stamp : stamps) settled &= !start.changedSince(stamp);
        if (settled) break;
        ::clock_gettime(CLOCK_BOOTTIME, &now);
        // No file system steps more than 2 s: something else is wrong.
        if (now.tv_sec - began.tv_sec > 60) throw std::runtime_error("stamps never settled");
        ::usleep(1000);
    }
    // A clock step seen during the empty puts its start earlier by as much as the step may be
    // off: let that much more pass, twice over.
    const std::int64_t settled = linux_platform::nanoseconds(coarseNow());
    while (linux_platform::nanoseconds(coarseNow()) - settled <
           2 * linux_platform::EmptyStart::kMeasuringError) {
        ::usleep(1000);
    }
}

bool emptyTrashAt(const std::string& trash, linux_platform::RemoveLog* log,
                  const linux_platform::EmptyOptions& options, EmptyPlace* place) {
    nextClockTick();
    settleBeforeEmpty(trash);
    linux_platform::RemoveLog local;
    int fd = ::open(trash.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = linux_platform::emptyTrashDirectory(fd, trash, log ? *log : local, options, place);
    ::close(fd);
    return ok;
}

void makeDeepTree(const std::string& parent, int depth, const char* name, int files) {
    int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    check(fd >= 0, "open " + parent);
    for (int i = 0; i < depth; ++i) {
        check(::mkdirat(fd, name, 0755) == 0 || errno == EEXIST, "mkdirat");
        int next = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        check(next >= 0, "openat");
        fd = next;
    }
    for (int i = 0; i < files; ++i) makeFileAt(fd, ("bottom" + std::to_string(i)).c_str());
    ::close(fd);
}

int openDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

int runInChild(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        int status = 125;
        try {
            status = body();
        } catch (...) {
        }
        ::_exit(status);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runOnMount(const std::string& mount, const std::string& unmount,
               const std::function<int()>& body) {
    if (::geteuid() != 0) return kNoMount;
    return runInChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            std::system((mount + " >/dev/null 2>&1").c_str()) != 0) {
            return kNoMount;
        }
        const int status = body();
        std::system((unmount + " >/dev/null 2>&1").c_str());
        return status;
    });
}

int runAs(uid_t uid, gid_t gid, const std::function<int()>& body) {
    return runInChild([&] {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 ||
            ::setresuid(uid, uid, uid) != 0) {
            return 126;
        }
        return body();
    });
}

void addBlockDevice(const std::string& sysfs, const std::string& majorMinor,
                    const std::string& devicePath, const std::string& partition, bool removable) {
    const std::string disk = sysfs + "/devices/" + devicePath;
    makeDirs(disk);
    writeFile(disk + "/removable", removable ? "1\n" : "0\n");
    std::string target = "../../devices/" + devicePath;
    if (!partition.empty()) {
        makeDirs(disk + "/" + partition);
        writeFile(disk + "/" + partition + "/partition", "1\n");
        target += "/" + partition;
    }
    makeDirs(sysfs + "/dev/block");
    makeSymlink(target, sysfs + "/dev/block/" + majorMinor);
}

std::string mountInfoLine(int id, const std::string& majorMinor, const std::string& mountPoint,
                          const std::string& fsType, const std::string& source) {
    std::string escaped;
    for (char c : mountPoint) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            char code[5];
            std::snprintf(code, sizeof code, "\\%03o", static_cast<unsigned char>(c));
            escaped += code;
        } else {
            escaped += c;
        }
    }
    return std::to_string(id) + " 1 " + majorMinor + " / " + escaped + " rw,relatime shared:1 - " +
           fsType + " " + source + " rw\n";
}

}  // namespace tw::test
