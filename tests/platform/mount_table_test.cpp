#include <gtest/gtest.h>

#include "platform/linux/mount_table.h"
#include "platform/linux/safe_path.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

Mount mount(const std::string& point, DriveType type, const std::string& fs = "ext4") {
    Mount m;
    m.entry.mountPoint = point;
    m.entry.fsType = fs;
    m.type = type;
    m.pseudo = isPseudoFileSystem(fs);
    return m;
}

TEST(MountTable, ListsDrivesWithoutPseudoFileSystemsAndFindsThemByRoot) {
    test::TempDir dir;
    test::writeFile(dir / "mountinfo",
                    test::mountInfoLine(1, "0:1", "/", "overlay") +
                        test::mountInfoLine(2, "0:2", "/proc", "proc") +
                        test::mountInfoLine(3, "0:3", "/sys/fs/cgroup", "cgroup2") +
                        test::mountInfoLine(4, "0:4", "/tmp", "tmpfs") +
                        test::mountInfoLine(5, "0:5", "/mnt/share", "cifs"));
    MountTable table = MountTable::load(dir / "mountinfo", dir / "sys");
    std::vector<std::string> roots;
    for (const Mount* m : table.drives()) roots.push_back(m->entry.mountPoint);
    EXPECT_EQ(roots, (std::vector<std::string>{"/", "/tmp", "/mnt/share"}));

    ASSERT_TRUE(table.drive("/tmp/"));
    EXPECT_EQ(table.drive("/tmp/")->type, DriveType::RamDisk);
    EXPECT_EQ(table.drive("/mnt/share")->type, DriveType::Remote);
    EXPECT_EQ(table.drive("/")->type, DriveType::Fixed);
    EXPECT_EQ(table.drive("/proc"), nullptr);  // not a drive
    EXPECT_EQ(table.drive("/mnt"), nullptr);
    EXPECT_EQ(table.containing("/mnt/share/x")->entry.mountPoint, "/mnt/share");
    EXPECT_EQ(table.containing("/mnt/sharex")->entry.mountPoint, "/");
}

TEST(MountTable, APathIsLocalOnlyWhenNoMountOnItsWayMayHang) {
    MountTable table({mount("/", DriveType::Fixed), mount("/net", DriveType::Unknown, "autofs"),
                      mount("/proc", DriveType::Unknown, "proc"),
                      mount("/mnt/nfs", DriveType::Remote, "nfs4"),
                      mount("/mnt/nfs/usb", DriveType::Removable, "vfat"),
                      mount("/srv/odd", DriveType::Unknown, "mysteryfs"),
                      mount("/media/cd", DriveType::CdRom, "iso9660")});
    EXPECT_TRUE(table.isLocalPath("/home/u/.local/share/Trash"));
    EXPECT_TRUE(table.isLocalPath("/mnt/nfsx/Trash"));
    EXPECT_TRUE(table.isLocalPath("/proc/self"));
    EXPECT_TRUE(table.isLocalPath("/media/cd/x"));
    EXPECT_FALSE(table.isLocalPath("/mnt/nfs"));
    EXPECT_FALSE(table.isLocalPath("/mnt/nfs/home"));
    EXPECT_FALSE(table.isLocalPath("/mnt/nfs/usb/.Trash-1000"));  // reached through the share
    EXPECT_FALSE(table.isLocalPath("/net/server/home"));          // would trigger a mount
    EXPECT_FALSE(table.isLocalPath("/srv/odd/x"));
    EXPECT_FALSE(table.isLocalPath("relative/path"));
    EXPECT_FALSE(MountTable({mount("/data", DriveType::Fixed)}).isLocalPath("/home"));

    EXPECT_EQ(table.mountPointsBelow("/mnt"),
              (std::vector<std::string>{"/mnt/nfs", "/mnt/nfs/usb"}));
    EXPECT_TRUE(table.mountPointsBelow("/mnt/nfs/usb").empty());
}

class SafePath : public ::testing::Test {
  protected:
    void SetUp() override {
        test::makeDirs(dir_ / "local/a/b");
        test::makeDirs(dir_ / "remote/inner/Trash");
        test::makeSymlink("../remote/inner", dir_ / "local/to-remote");
        test::makeSymlink("a/b", dir_ / "local/relative");
        test::makeSymlink(dir_ / "local/a", dir_ / "local/absolute");
        test::makeSymlink("loop2", dir_ / "local/loop1");
        test::makeSymlink("loop1", dir_ / "local/loop2");
    }
    MountTable table() const {
        return MountTable(
            {mount("/", DriveType::Fixed), mount(dir_ / "remote", DriveType::Remote, "nfs4")});
    }
    test::TempDir dir_;
};

TEST_F(SafePath, ResolvesLinksDotsAndDoubleDotsLikeRealpath) {
    MountTable t = table();
    EXPECT_EQ(resolveLocalPath(dir_ / "local/./a/../a/b/", t), dir_ / "local/a/b");
    EXPECT_EQ(resolveLocalPath(dir_ / "local/relative", t), dir_ / "local/a/b");
    EXPECT_EQ(resolveLocalPath(dir_ / "local/absolute/b", t), dir_ / "local/a/b");
    EXPECT_EQ(resolveLocalPath("/", t), "/");
}

TEST_F(SafePath, RefusesRemoteMountsLoopsMissingAndRelativePaths) {
    MountTable t = table();
    EXPECT_FALSE(resolveLocalPath(dir_ / "remote/inner/Trash", t));
    // The link itself is local; its target is on the share and is never looked at.
    EXPECT_FALSE(resolveLocalPath(dir_ / "local/to-remote/Trash", t));
    EXPECT_FALSE(resolveLocalPath(dir_ / "local/loop1", t));
    EXPECT_FALSE(resolveLocalPath(dir_ / "local/missing", t));
    EXPECT_FALSE(resolveLocalPath("local/a", t));
    // With the share local the same path resolves: the refusal above is the mount's doing.
    MountTable allLocal({mount("/", DriveType::Fixed)});
    EXPECT_EQ(resolveLocalPath(dir_ / "local/to-remote/Trash", allLocal),
              dir_ / "remote/inner/Trash");
}

}  // namespace
}  // namespace tw::linux_platform
