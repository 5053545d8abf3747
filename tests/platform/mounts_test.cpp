#include <gtest/gtest.h>

#include "platform/linux/mounts.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

TEST(MountInfo, ParsesEveryFieldWithOptionalFieldsPresentOrNot) {
    auto withOptional = parseMountInfoLine(
        "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 shared:7 - ext3 /dev/root rw,errors=continue");
    ASSERT_TRUE(withOptional);
    EXPECT_EQ(withOptional->id, 36);
    EXPECT_EQ(withOptional->parentId, 35);
    EXPECT_EQ(withOptional->major, 98u);
    EXPECT_EQ(withOptional->minor, 0u);
    EXPECT_EQ(withOptional->root, "/mnt1");
    EXPECT_EQ(withOptional->mountPoint, "/mnt2");
    EXPECT_EQ(withOptional->fsType, "ext3");
    EXPECT_EQ(withOptional->source, "/dev/root");

    auto without = parseMountInfoLine("27 1 254:0 / / rw,relatime - ext4 /dev/vda rw");
    ASSERT_TRUE(without);
    EXPECT_EQ(without->mountPoint, "/");
    EXPECT_EQ(without->fsType, "ext4");
    EXPECT_EQ(without->major, 254u);
}

TEST(MountInfo, DecodesTheKernelsOctalEscapes) {
    auto e = parseMountInfoLine(
        "40 27 8:17 / /media/u/My\\040Disk\\011tab\\012nl\\134bs rw - vfat "
        "/dev/sd\\040b1 rw");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->mountPoint, "/media/u/My Disk\ttab\nnl\\bs");
    EXPECT_EQ(e->source, "/dev/sd b1");
    // Not an escape: kept as written.
    EXPECT_EQ(decodeMountField("a\\04"), "a\\04");
    EXPECT_EQ(decodeMountField("a\\9xy"), "a\\9xy");
    EXPECT_EQ(decodeMountField("\\101\\102"), "AB");
}

TEST(MountInfo, SkipsMalformedLines) {
    EXPECT_FALSE(parseMountInfoLine(""));
    EXPECT_FALSE(parseMountInfoLine("36 35 98:0 /mnt1 /mnt2 rw master:1 ext3 /dev/root rw"));
    EXPECT_FALSE(parseMountInfoLine("x 35 98:0 / /mnt rw - ext3 /dev/root rw"));
    EXPECT_FALSE(parseMountInfoLine("36 35 98 / /mnt rw - ext3 /dev/root rw"));
    EXPECT_FALSE(parseMountInfoLine("36 35 98:0 / relative rw - ext3 /dev/root rw"));
    auto all = parseMountInfo(
        "garbage\n27 1 254:0 / / rw - ext4 /dev/vda rw\n\n"
        "28 27 0:5 / /proc rw - proc proc rw");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].mountPoint, "/proc");
}

TEST(MountInfo, AMountPointMountedOverKeepsOnlyTheTopmostMount) {
    auto all = parseMountInfo(
        "27 1 254:0 / / rw - ext4 /dev/vda rw\n"
        "30 27 0:40 / /home rw - autofs systemd-1 rw\n"
        "31 27 8:1 / /data rw - ext4 /dev/sda1 rw\n"
        "32 30 8:2 / /home rw - ext4 /dev/sda2 rw\n");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].mountPoint, "/home");
    EXPECT_EQ(all[2].fsType, "ext4");
}

TEST(MountInfo, ReadsAFileAndToleratesAMissingOne) {
    test::TempDir dir;
    test::writeFile(dir / "mountinfo", test::mountInfoLine(1, "8:1", "/a b", "ext4") +
                                           test::mountInfoLine(2, "0:3", "/proc", "proc"));
    auto all = readMountInfo(dir / "mountinfo");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].mountPoint, "/a b");
    EXPECT_TRUE(readMountInfo(dir / "missing").empty());
}

TEST(MountInfo, PathsUnderAMountPointMatchWholeComponentsOnly) {
    EXPECT_TRUE(isUnderMountPoint("/mnt/a", "/mnt/a"));
    EXPECT_TRUE(isUnderMountPoint("/mnt/a/b", "/mnt/a"));
    EXPECT_FALSE(isUnderMountPoint("/mnt/ab", "/mnt/a"));
    EXPECT_FALSE(isUnderMountPoint("/mnt", "/mnt/a"));
    EXPECT_TRUE(isUnderMountPoint("/anything", "/"));
    EXPECT_FALSE(isUnderMountPoint("relative", "/"));
}

}  // namespace
}  // namespace tw::linux_platform
