// The shell end to end over fake mounts: a fake mountinfo and sysfs that point at temporary
// directories, so the real machine's trash is never looked at.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <map>
#include <utility>

#include <gtest/gtest.h>

#include "emptying/mod_clean_up.h"
#include "fakes/empty_keeping_nothing.h"
#include "platform/linux/trash_shell.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

using namespace std::string_literals;

constexpr uid_t kUser = 4242;

class RecycleBinShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sysfs_ = dir_ / "sys";
        test::addBlockDevice(sysfs_, "8:1", "pci0000:00/0000:00:1f.2/ata1/block/sda", "sda1",
                             false);
        test::addBlockDevice(sysfs_, "8:17", "pci0000:00/0000:00:14.0/usb2/2-1/block/sdb", "sdb1",
                             false);
        fixed_ = dir_ / "fixed";
        usb_ = dir_ / "usb stick\\x";
        ram_ = dir_ / "ram";
        net_ = dir_ / "net";
        cd_ = dir_ / "cd";
        for (const std::string& p : {fixed_, usb_, ram_, net_, cd_}) test::makeDirs(p);
        // "/" is a read-only image here, so nothing of the real machine counts as a drive with
        // a trash.
        mountInfo_ = test::mountInfoLine(20, "7:0", "/", "squashfs", "/dev/loop0") +
                     test::mountInfoLine(21, "0:3", "/proc", "proc", "proc") +
                     test::mountInfoLine(22, "8:1", fixed_, "ext4", "/dev/sda1") +
                     test::mountInfoLine(23, "8:17", usb_, "vfat", "/dev/sdb1") +
                     test::mountInfoLine(24, "0:40", ram_, "tmpfs", "tmpfs") +
                     test::mountInfoLine(25, "0:41", net_, "nfs4", "server:/export") +
                     test::mountInfoLine(26, "11:0", cd_, "iso9660", "/dev/sr0");
        writeMountInfo();
        home_ = dir_ / "home";
        test::makeDirs(home_);
    }
    void writeMountInfo() { test::writeFile(dir_ / "mountinfo", mountInfo_); }

    // Made once the test has put its items in place, which an empty then takes for trashed
    // before it began.
    LinuxRecycleBinShell shell(const std::string& xdgDataHome = "", EmptyOptions seams = {}) {
        test::settleBeforeEmpty(dir_.path());
        ShellEnvironment env;
        env.emptySeams = std::move(seams);
        env.mountInfoPath = dir_ / "mountinfo";
        env.sysfsRoot = sysfs_;
        env.home = home_;
        env.xdgDataHome = xdgDataHome;
        env.uid = kUser;
        return LinuxRecycleBinShell(env,
                                    [this](const std::string& line) { errors_ += line + "\n"; });
    }
    // .Trash-4242 on `top` holding `items` items.
    std::string userTrash(const std::string& top, int items) {
        std::string trash = top + "/.Trash-4242";
        for (int i = 0; i < items; ++i) test::trashItem(trash, "item" + std::to_string(i), i % 2);
        test::makeDirs(trash);
        test::chownTree(trash, kUser, kUser);
        return trash;
    }
    std::int64_t count(LinuxRecycleBinShell& s, const std::string& root) {
        RecycleBinQuery q;
        q.cbSize = sizeof q;
        EXPECT_EQ(s.queryRecycleBin(root, q), kShellOk) << root;
        return static_cast<std::int64_t>(static_cast<std::uint32_t>(q.itemsLow)) +
               (static_cast<std::int64_t>(q.itemsHigh) << 32);
    }
    std::vector<std::string> driveList(LinuxRecycleBinShell& s) {
        std::uint32_t needed = s.getLogicalDriveStrings(0, nullptr);
        std::string buffer(needed, '#');
        std::uint32_t written = s.getLogicalDriveStrings(needed, buffer.data());
        EXPECT_EQ(written + 1, needed);
        EXPECT_EQ(buffer[written], '\0');
        std::vector<std::string> roots;
        for (std::size_t at = 0; at < written;) {
            std::size_t end = buffer.find('\0', at);
            roots.push_back(buffer.substr(at, end - at));
            at = end + 1;
        }
        return roots;
    }

    test::TempDir dir_;
    std::string sysfs_, fixed_, usb_, ram_, net_, cd_, home_, mountInfo_;
    std::string errors_;
};

TEST_F(RecycleBinShellTest, ListsEveryMountButPseudoFileSystemsWithItsDriveType) {
    auto s = shell();
    EXPECT_EQ(driveList(s), (std::vector<std::string>{"/", fixed_, usb_, ram_, net_, cd_}));
    EXPECT_EQ(s.getDriveType("/"), DriveType::CdRom);
    EXPECT_EQ(s.getDriveType(fixed_), DriveType::Fixed);
    EXPECT_EQ(s.getDriveType(fixed_ + "/"), DriveType::Fixed);
    EXPECT_EQ(s.getDriveType(usb_), DriveType::Removable);
    EXPECT_EQ(s.getDriveType(ram_), DriveType::RamDisk);
    EXPECT_EQ(s.getDriveType(net_), DriveType::Remote);
    EXPECT_EQ(s.getDriveType(cd_), DriveType::CdRom);
    EXPECT_EQ(s.getDriveType("/proc"), DriveType::NoRootDir);
    EXPECT_EQ(s.getDriveType(dir_ / "not-mounted"), DriveType::NoRootDir);
}

TEST_F(RecycleBinShellTest, ADriveListLongerThanTheBufferIsNeverCut) {
    std::vector<std::string> expected{"/", fixed_, usb_, ram_, net_, cd_};
    for (int i = 0; i < 30; ++i) {
        std::string point = dir_ / ("extra-volume-with-a-long-name-" + std::to_string(i));
        mountInfo_ += test::mountInfoLine(100 + i, "8:1", point, "ext4");
        expected.push_back(point);
    }
    writeMountInfo();
    auto s = shell();

    std::string buffer(260, '#');
    std::uint32_t needed = s.getLogicalDriveStrings(260, buffer.data());
    EXPECT_GT(needed, 260u);
    EXPECT_EQ(buffer, std::string(260, '#'));  // nothing written, nothing half-written
    std::string exact(needed - 1, '#');
    EXPECT_EQ(s.getLogicalDriveStrings(needed - 1, exact.data()), needed);
    EXPECT_EQ(driveList(s), expected);
}

TEST_F(RecycleBinShellTest, QueryCountsEveryTrashOfTheUserOnThatDriveOnly) {
    userTrash(fixed_, 3);
    test::writeFile(fixed_ + "/.Trash-4242/info/orphan.trashinfo");
    test::makeDirs(fixed_ + "/.Trash", 01777);
    test::trashItem(fixed_ + "/.Trash/4242", "shared-item");
    test::chownTree(fixed_ + "/.Trash/4242", kUser, kUser);
    test::trashItem(fixed_ + "/.Trash-4343", "someone-elses");  // another user's
    test::trashItem(fixed_ + "/xdg/Trash", "home-1");
    test::trashItem(fixed_ + "/xdg/Trash", "home-2", true);
    userTrash(usb_, 2);
    userTrash(ram_, 1);
    userTrash(net_, 5);
    userTrash(cd_, 4);

    auto s = shell(fixed_ + "/xdg");
    EXPECT_EQ(count(s, fixed_), 3 + 1 + 1 + 2);
    EXPECT_EQ(count(s, usb_), 2);
    EXPECT_EQ(count(s, ram_), 1);
    EXPECT_EQ(count(s, net_), 0);  // never looked at
    EXPECT_EQ(count(s, cd_), 0);
    EXPECT_EQ(count(s, "/"), 0);

    RecycleBinQuery q;
    q.cbSize = sizeof q;
    EXPECT_EQ(s.queryRecycleBin(dir_ / "not-mounted", q), kShellFail);
    q.cbSize = 24;
    EXPECT_EQ(s.queryRecycleBin(fixed_, q), kShellFail);
}

TEST_F(RecycleBinShellTest, EmptyingAllBinsEmptiesEveryLocalTrashAndNeverARemoteOne) {
    userTrash(fixed_, 3);
    test::trashItem(fixed_ + "/xdg/Trash", "home-item", true);
    // Deleted an hour ago: the floor of a day, handed to each trash, keeps it.
    test::trashItem(fixed_ + "/xdg/Trash", "recent");
    const std::time_t hourAgo = std::time(nullptr) - 3600;
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", std::localtime(&hourAgo));
    const std::string record = fixed_ + "/xdg/Trash/info/recent.trashinfo";
    test::writeFile(record, "[Trash Info]\nPath=/home/user/recent\nDeletionDate="s + date + "\n");
    const struct timespec written[2] = {{hourAgo, 0}, {hourAgo, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, record.c_str(), written, 0), 0);
    userTrash(usb_, 2);
    userTrash(ram_, 2);
    std::string remote = userTrash(net_, 2);

    auto s = shell(fixed_ + "/xdg");
    EmptyReport report;
    EXPECT_EQ(
        s.emptyRecycleBin(0, nullptr, kEmptyNoConfirmation | kEmptyNoProgressUi | kEmptyNoSound,
                          EmptyOrder{86400}, report),
        kShellOk);
    EXPECT_EQ(count(s, fixed_), 1);
    EXPECT_TRUE(test::exists(fixed_ + "/xdg/Trash/files/recent"));
    EXPECT_EQ(count(s, usb_), 0);
    EXPECT_EQ(count(s, ram_), 0);
    EXPECT_TRUE(test::exists(remote + "/files/item0"));
    EXPECT_TRUE(test::exists(remote + "/info/item1.trashinfo"));
    EXPECT_EQ(errors_, "");
    // One place per trash directory emptied.
    std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> places;  // removed, kept
    for (const EmptyPlace& place : report.places) {
        std::uint64_t kept = 0;
        for (std::uint64_t n : place.kept) kept += n;
        places[place.place] = {place.removed, kept};
    }
    using Counts = std::pair<std::uint64_t, std::uint64_t>;
    EXPECT_EQ(places, (std::map<std::string, Counts>{{fixed_ + "/.Trash-4242", {3, 0}},
                                                     {fixed_ + "/xdg/Trash", {1, 1}},
                                                     {usb_ + "/.Trash-4242", {2, 0}},
                                                     {ram_ + "/.Trash-4242", {2, 0}}}));
}

TEST_F(RecycleBinShellTest, EmptyingOneDriveTouchesOnlyThatDrive) {
    userTrash(fixed_, 2);
    userTrash(usb_, 2);
    std::string remote = userTrash(net_, 1);
    auto s = shell();
    EXPECT_EQ(test::emptyKeepingNothing(s, 0, usb_.c_str(), 7), kShellOk);
    EXPECT_EQ(count(s, usb_), 0);
    EXPECT_EQ(count(s, fixed_), 2);

    EXPECT_EQ(test::emptyKeepingNothing(s, 0, net_.c_str(), 7), kShellFail);
    EXPECT_TRUE(test::exists(remote + "/files/item0"));
    EXPECT_EQ(test::emptyKeepingNothing(s, 0, (dir_ / "not-mounted").c_str(), 7), kShellFail);
    EXPECT_EQ(count(s, fixed_), 2);
}

TEST_F(RecycleBinShellTest, WhatCannotBeRemovedIsReportedAndFailsTheEmpty) {
    std::string trash = userTrash(fixed_, 2);
    test::trashItem(trash, "holds-a-mount", true);
    test::makeDirs(trash + "/files/holds-a-mount/share");
    test::writeFile(trash + "/files/holds-a-mount/share/on-the-share");
    mountInfo_ += test::mountInfoLine(90, "0:60", trash + "/files/holds-a-mount/share", "cifs");
    writeMountInfo();
    auto s = shell();
    EXPECT_EQ(test::emptyKeepingNothing(s, 0, nullptr, 7), kShellFail);
    EXPECT_TRUE(test::exists(trash + "/files/holds-a-mount/share/on-the-share"));
    EXPECT_TRUE(test::exists(trash + "/info/holds-a-mount.trashinfo"));
    EXPECT_FALSE(test::exists(trash + "/files/item0"));
    EXPECT_NE(errors_.find("holds-a-mount/share': a mount point, left alone"), std::string::npos)
        << errors_;
}

TEST_F(RecycleBinShellTest, WhatIsTrashedOnAnyDriveWhileTheWalkEmptiesStays) {
    const std::string second = dir_ / "second";
    test::makeDirs(second);
    mountInfo_ += test::mountInfoLine(27, "8:1", second, "ext4", "/dev/sda1");
    writeMountInfo();
    // The first fixed drive holds only a record whose item is gone: it counts, and goes.
    const std::string first = userTrash(fixed_, 0);
    test::makeDirs(first + "/info");
    test::writeFile(first + "/info/gone.trashinfo", "[Trash Info]\n");
    const std::string home = fixed_ + "/xdg/Trash";
    test::trashItem(home, "old-home", true);
    const std::string other = userTrash(second, 2);

    // While the first drive's trash is emptied, items arrive on both drives and one the
    // second drive's trash holds changes hands: each trash was listed before.
    bool arrived = false;
    EmptyOptions seams;
    seams.itemChecked = [&](std::string_view) {
        if (std::exchange(arrived, true)) return;
        test::trashItem(home, "late-home");
        test::trashItem(other, "late-other", true);
        test::chownTree(other + "/files/late-other", kUser, kUser);
        test::chownTree(other + "/info/late-other.trashinfo", kUser, kUser);
        test::chownTree(other + "/files/item1", 0, 0);
        test::nextClockTick();
    };
    auto s = shell(fixed_ + "/xdg", seams);
    // The walk empties every bin once; what arrived meanwhile stays.
    EmptyReport report;
    std::string failure;
    EXPECT_TRUE(modCleanUp::detail::EmptyDriveBins(s, 1, {}, report, failure)) << failure;
    EXPECT_FALSE(test::exists(first + "/info/gone.trashinfo"));
    EXPECT_FALSE(test::exists(home + "/files/old-home"));
    EXPECT_FALSE(test::exists(other + "/files/item0"));
    EXPECT_FALSE(test::exists(other + "/info/item0.trashinfo"));
    EXPECT_TRUE(test::exists(home + "/files/late-home"));
    EXPECT_TRUE(test::exists(home + "/info/late-home.trashinfo"));
    EXPECT_TRUE(test::exists(other + "/files/late-other/inner"));
    EXPECT_TRUE(test::exists(other + "/info/late-other.trashinfo"));
    // Kept on purpose, so no failure; named all the same.
    EXPECT_TRUE(test::exists(other + "/files/item1/inner"));
    EXPECT_TRUE(test::exists(other + "/info/item1.trashinfo"));
    EXPECT_NE(errors_.find("'" + other + "/files/item1'"), std::string::npos) << errors_;
    EXPECT_EQ(errors_.find('\n'), errors_.size() - 1) << errors_;

    // The next walk empties them.
    test::settleBeforeEmpty(dir_.path());
    EXPECT_TRUE(modCleanUp::detail::EmptyDriveBins(s, 1, {}, report, failure)) << failure;
    EXPECT_EQ(count(s, fixed_), 0);
    EXPECT_EQ(count(s, second), 0);
}

TEST_F(RecycleBinShellTest, ALockedTrashOfTheUsersOwnIsOpenedUpAndOneOfSomeoneElsesIsReported) {
    test::trashItem(fixed_ + "/xdg/Trash", "home-1");
    test::trashItem(fixed_ + "/xdg/Trash", "home-2", true);
    test::chownTree(fixed_ + "/xdg", kUser, kUser);
    const std::string own = userTrash(fixed_, 1);
    const std::string foreign = userTrash(usb_, 1);
    ASSERT_EQ(::chown((foreign + "/files").c_str(), 0, 0), 0);
    for (const std::string& locked : {fixed_ + "/xdg/Trash", own, foreign + "/files"}) {
        ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    }
    // Bits of the status: 1, 2: the counts before and after; 4: the empty; 8: the unreadable
    // trash counted as empty; 16: its empty reported success or no error; 32: no message.
    int status = test::runAs(kUser, kUser, [&] {
        auto s = shell(fixed_ + "/xdg");
        int result = 0;
        RecycleBinQuery q;
        q.cbSize = sizeof q;
        if (s.queryRecycleBin(fixed_, q) != kShellOk || q.itemsLow != 3) result |= 1;
        if (test::emptyKeepingNothing(s, 0, fixed_.c_str(), 7) != kShellOk) result |= 4;
        if (s.queryRecycleBin(fixed_, q) != kShellOk || q.itemsLow != 0) result |= 2;
        if (s.queryRecycleBin(usb_, q) != kShellFail || q.itemsLow < 1) result |= 8;
        EmptyReport report;
        if (s.emptyRecycleBin(0, usb_.c_str(), 7, {}, report) != kShellFail ||
            report.places.size() != 1 || report.places[0].errors.empty()) {
            result |= 16;
        }
        if (errors_.find(".Trash-4242/files': Permission denied") == std::string::npos) {
            result |= 32;
        }
        return result;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(test::exists(foreign + "/info/item0.trashinfo"));
}

TEST_F(RecycleBinShellTest, AHomeTrashOnARemoteMountIsNeverTouched) {
    test::trashItem(net_ + "/xdg/Trash", "on-the-share");
    auto s = shell(net_ + "/xdg");
    for (const std::string& root : {std::string("/"), fixed_, usb_, ram_, net_}) {
        EXPECT_EQ(count(s, root), 0) << root;
    }
    EXPECT_EQ(test::emptyKeepingNothing(s, 0, nullptr, 7), kShellOk);
    EXPECT_TRUE(test::exists(net_ + "/xdg/Trash/files/on-the-share"));
}

TEST(RecycleBinShellOnThisMachine, ListsTheRootOfTheRealSystem) {
    LinuxRecycleBinShell s;
    std::uint32_t needed = s.getLogicalDriveStrings(0, nullptr);
    std::string buffer(needed, '\0');
    ASSERT_EQ(s.getLogicalDriveStrings(needed, buffer.data()) + 1, needed);
    EXPECT_NE(("\0"s + buffer).find("\0/\0"s), std::string::npos);
    EXPECT_NE(s.getDriveType("/"), DriveType::NoRootDir);
}

}  // namespace
}  // namespace tw::linux_platform
