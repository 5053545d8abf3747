// The size limit and the measure of the bins, through the shell over fake mounts: which items an
// empty down to a limit removes from every trash of every drive, and how items are sized.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/trash_shell.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

constexpr uid_t kUser = 4242;
constexpr std::int64_t kDay = 86400;
constexpr std::uint64_t kKiB = 1024;

enum class Kind { File, Folder, NoRecord };
struct Item {
    std::string name;
    double daysAgo;
    std::uint64_t kib;
    Kind kind = Kind::File;
    int drive = 0;
    long cachedKib = -1;  // a folder's line in the cache, when not -1
    bool staleLine = false;
};

std::string localDate(std::int64_t moment) {
    const time_t t = moment;
    struct tm tm;
    ::localtime_r(&t, &tm);
    char text[32];
    ::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
    return text;
}

// Puts `item` into `trash` as a trashing program leaves it, deleted `daysAgo` before `now`.
// Returns its record's mtime.
std::int64_t put(const std::string& trash, const Item& item, std::int64_t now) {
    test::makeDirs(trash + "/files");
    test::makeDirs(trash + "/info");
    const std::string at = trash + "/files/" + item.name;
    const std::string data(item.kib * kKiB, 'x');
    if (item.kind == Kind::Folder) {
        test::makeDirs(at);
        test::writeFile(at + "/inner", data);
    } else {
        test::writeFile(at, data);
    }
    const std::int64_t deleted = now - static_cast<std::int64_t>(item.daysAgo * kDay);
    if (item.kind == Kind::NoRecord) return deleted;
    const std::string record = trash + "/info/" + item.name + ".trashinfo";
    test::writeFile(record, "[Trash Info]\nPath=/home/u/" + item.name +
                                "\nDeletionDate=" + localDate(deleted) + "\n");
    const struct timespec times[2] = {{deleted, 0}, {deleted, 0}};
    ::utimensat(AT_FDCWD, record.c_str(), times, 0);
    if (item.cachedKib >= 0) {
        std::ofstream(trash + "/directorysizes", std::ios::app)
            << item.cachedKib * kKiB << ' ' << deleted + item.staleLine << ' ' << item.name << '\n';
    }
    return deleted;
}

// The names in files/ of `trash`, sorted, and the names the cache has lines for.
std::string left(const std::string& trash) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(trash + "/files")) {
        names.push_back(e.path().filename());
    }
    std::string cache;
    if (test::exists(trash + "/directorysizes")) {
        std::istringstream lines(test::readFile(trash + "/directorysizes"));
        for (std::string size, mtime, name; lines >> size >> mtime >> name;) cache += " " + name;
    }
    std::sort(names.begin(), names.end());
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : " ") + n;
    return cache.empty() ? out : out + " | cache:" + cache;
}

// Two fixed drives: the home trash on one, .Trash-4242 on the other (a mounted ext4 image,
// stamping whole seconds, where this may mount).
class SizeLimit : public ::testing::Test {
  protected:
    void SetUp() override {
        test::addBlockDevice(sysfs_, "8:1", "pci0/ata1/block/sda", "sda1", false);
        test::addBlockDevice(sysfs_, "8:17", "pci0/ata2/block/sdb", "sdb1", false);
        for (const std::string& p : {fixed_ + "/xdg", mnt_, home_}) test::makeDirs(p);
        test::writeFile(dir_ / "mountinfo",
                        test::mountInfoLine(20, "7:0", "/", "squashfs", "/dev/loop0") +
                            test::mountInfoLine(22, "8:1", fixed_, "ext4", "/dev/sda1") +
                            test::mountInfoLine(23, "8:17", mnt_, "ext4", "/dev/sdb1"));
    }
    LinuxRecycleBinShell shell(EmptyOptions seams = {}) {
        ShellEnvironment env;
        env.emptySeams = std::move(seams);
        env.mountInfoPath = dir_ / "mountinfo";
        env.sysfsRoot = sysfs_;
        env.home = home_;
        env.xdgDataHome = fixed_ + "/xdg";
        env.uid = kUser;
        return LinuxRecycleBinShell(env, nullptr);
    }
    std::string trash(int drive) const { return drive == 0 ? homeTrash_ : mnt_ + "/.Trash-4242"; }

    test::TempDir dir_;
    std::string sysfs_ = dir_ / "sys", fixed_ = dir_ / "fixed", mnt_ = dir_ / "mnt",
                home_ = dir_ / "home", homeTrash_ = fixed_ + "/xdg/Trash";
};

std::vector<Item> thirtyDays() {
    std::vector<Item> items;
    for (int day = 1; day <= 30; ++day) {
        // Deleted during that day, an hour short of it: the floor of 15 days keeps the 15th.
        items.push_back({(day < 10 ? "d0" : "d") + std::to_string(day), day - 1.0 / 24, 1024});
    }
    return items;
}

TEST_F(SizeLimit, TheOldestGoFirstOverAllDrivesUntilTheRestFits) {
    const struct Case {
        const char* what;
        std::vector<Item> items;
        std::int64_t floorDays;
        std::uint64_t limit;
        std::string keptOn0, keptOn1 = "";
    } cases[] = {
        {"oldest first", {{"a", 30, 400}, {"b", 20, 400}, {"c", 10, 400}}, 0, 900 * kKiB, "b c"},
        {"one age goes together",
         {{"a", 20, 400, Kind::File, 1}, {"b", 20, 400, Kind::File, 1}, {"c", 5, 400}},
         0,
         1000 * kKiB,
         "c",
         ""},
        {"the floor keeps", {{"a", 30, 400}, {"b", 3, 400}, {"c", 1, 400}}, 7, 100 * kKiB, "b c"},
        {"unknown age stays",
         {{"n", 0, 400, Kind::NoRecord}, {"a", 30, 400}, {"b", 10, 400}},
         0,
         500 * kKiB,
         "n"},
        {"a folder sized from its line",
         {{"F", 30, 4, Kind::Folder, 1, 2000}, {"a", 20, 400, Kind::File, 1}},
         0,
         500 * kKiB,
         "",
         "a"},
        {"a stale line: measured",
         {{"F", 30, 800, Kind::Folder, 0, 1, true}, {"a", 20, 400}},
         0,
         500 * kKiB,
         "a"},
        {"a folder counted once, its line kept",
         {{"F", 10, 400, Kind::Folder}, {"a", 30, 400}},
         0,
         900 * kKiB,
         "F a | cache: F"},
        {"oldest over both drives",
         {{"a", 30, 400, Kind::File, 1}, {"b", 20, 400}, {"c", 10, 400, Kind::File, 1}},
         0,
         900 * kKiB,
         "b",
         "c"},
        {"30 days, 0.01 GB", thirtyDays(), 0, 10737418, "d01 d02 d03 d04 d05 d06 d07 d08 d09 d10"},
        {"30 days, 0.01 GB, a floor of 15 days", thirtyDays(), 15, 10737418,
         "d01 d02 d03 d04 d05 d06 d07 d08 d09 d10 d11 d12 d13 d14 d15"},
    };
    // Each case is staged beside its drive's trash and moved in when its turn comes, so that
    // all of them settle before the first empty.
    const auto body = [&] {
        const std::int64_t now = std::time(nullptr);
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            for (const Item& item : cases[i].items) {
                put((item.drive == 0 ? fixed_ : mnt_) + "/stage" + std::to_string(i), item, now);
            }
        }
        test::settleBeforeEmpty(dir_.path());
        std::string outcome;
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            for (int drive : {0, 1}) {
                const std::string staged =
                    (drive == 0 ? fixed_ : mnt_) + "/stage" + std::to_string(i);
                test::makeDirs(staged + "/files");
                std::filesystem::rename(staged, trash(drive));
            }
            ::chown(trash(1).c_str(), kUser, kUser);
            EmptyReport report;
            shell().emptyRecycleBin(0, nullptr, 0, {cases[i].floorDays * kDay, cases[i].limit},
                                    report);
            outcome +=
                std::string(cases[i].what) + ": " + left(trash(0)) + " / " + left(trash(1)) + "\n";
            for (int drive : {0, 1}) std::filesystem::remove_all(trash(drive));
        }
        test::writeFile(dir_ / "outcome", outcome);
        return 0;
    };
    const std::string image = dir_ / "image";
    const bool made =
        std::system(("mkfs.ext4 -q -F -I 128 " + image + " 16M >/dev/null 2>&1").c_str()) == 0;
    if (!made || test::runOnMount("mount -o loop " + image + " " + mnt_, "umount " + mnt_, body) ==
                     test::kNoMount) {
        body();  // the second drive a plain directory
    }
    std::string expected;
    for (const Case& c : cases) {
        expected += std::string(c.what) + ": " + c.keptOn0 + " / " + c.keptOn1 + "\n";
    }
    EXPECT_EQ(test::readFile(dir_ / "outcome"), expected);
}

TEST_F(SizeLimit, ARestoreAndANewItemRacingThePurgeAreNeverLost) {
    const std::int64_t now = std::time(nullptr);
    for (const Item& item : {Item{"a", 30, 400}, Item{"b", 20, 400}, Item{"c", 10, 400}}) {
        put(homeTrash_, item, now);
    }
    test::settleBeforeEmpty(dir_.path());
    EmptyOptions seams;
    // Listed and weighed; a new item, dated long ago, comes in.
    seams.afterSnapshot = [&] { put(homeTrash_, {"late", 60, 4}, now); };
    // Chosen to go and looked at; the user restores it before it is removed.
    seams.itemChecked = [&](std::string_view name) {
        if (name == "b") std::filesystem::rename(homeTrash_ + "/files/b", home_ + "/b");
    };
    EmptyReport report;
    shell(seams).emptyRecycleBin(0, nullptr, 0, {0, 500 * kKiB}, report);
    EXPECT_EQ(left(homeTrash_), "c late");
    EXPECT_EQ(test::readFile(home_ + "/b"), std::string(400 * kKiB, 'x'));
}

TEST_F(SizeLimit, TheMeasureReadsAndCompletesTheCacheAndTrustsNoOtherLine) {
    const struct Case {
        const char* what;
        std::string cache;  // M: the record's mtime; S: a second later
        bool link = false, foreign = false;
        bool fromCache = false;
    } cases[] = {
        {"a matching line is read", "5120000 M my%20folder\n", false, false, true},
        {"none: measured, added", ""},
        {"malformed lines",
         "-5 M my%20folder\n99999999999999999999999 M my%20folder\n1152921504606846976 M "
         "my%20folder\n12 xM my%20folder\n12 M my%zzfolder\n12 M ..\n12 M a%2Fb\n12 M my "
         "folder\n12 M my%20folder"},
        {"a stale line", "5120000 S my%20folder\n"},
        {"a link in its place", "5120000 M my%20folder\n", true},
        {"another user's", "5120000 M my%20folder\n", false, true},
    };
    const std::string cache = homeTrash_ + "/directorysizes", elsewhere = dir_ / "elsewhere";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(homeTrash_);
        const std::int64_t now = std::time(nullptr);
        const std::int64_t m = put(homeTrash_, {"my folder", 30, 400, Kind::Folder}, now);
        put(homeTrash_, {"recent", 1, 4}, now);
        put(homeTrash_, {"unknown", 30, 4, Kind::NoRecord}, now);
        std::string text = c.cache;
        for (char& ch : text) ch = ch == 'M' ? '\1' : ch == 'S' ? '\2' : ch;
        for (std::size_t at; (at = text.find_first_of("\1\2")) != std::string::npos;) {
            text.replace(at, 1, std::to_string(m + (text[at] == '\2')));
        }
        if (!text.empty()) test::writeFile(c.link ? elsewhere : cache, text);
        if (c.link) test::makeSymlink(elsewhere, cache);
        if (c.foreign) ::chown(cache.c_str(), kUser, kUser);

        auto s = shell();
        const TrashMeasure first = s.measureBins(7 * kDay);
        // Without a record, moved in now: recent by its change time, as a floored empty keeps it.
        EXPECT_EQ(first.oldItems, 1u);
        EXPECT_EQ(first.recentItems, 2u);
        EXPECT_EQ(first.unknownItems, 0u);
        if (c.fromCache) {
            EXPECT_EQ(first.oldBytes, 5120000u);
        } else {
            EXPECT_GE(first.oldBytes, 400 * kKiB);
            EXPECT_LT(first.oldBytes, 420 * kKiB);
        }
        if (c.link || c.foreign) {
            EXPECT_NE(first.error.find("directorysizes"), std::string::npos) << first.error;
            EXPECT_EQ(test::readFile(c.link ? elsewhere : cache), text);
        } else {
            EXPECT_EQ(first.error, "");
            EXPECT_EQ(test::readFile(cache),
                      std::to_string(first.oldBytes) + " " + std::to_string(m) + " my%20folder\n");
        }
        // Nothing changed for the measure: the folder grown since is not walked again.
        test::writeFile(homeTrash_ + "/files/my folder/grown", std::string(64 * kKiB, 'y'));
        EXPECT_EQ(s.measureBins(7 * kDay).oldBytes, first.oldBytes);
    }
}

}  // namespace
}  // namespace tw::linux_platform
