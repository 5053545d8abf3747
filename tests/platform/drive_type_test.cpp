#include <gtest/gtest.h>

#include "platform/linux/drive_type.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

class DriveTypes : public ::testing::Test {
  protected:
    void SetUp() override {
        sysfs_ = dir_ / "sys";
        const std::string pci = "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/";
        const std::string usb =
            "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/"
            "6:0:0:0/block/";
        test::addBlockDevice(sysfs_, "8:1", pci + "sda", "sda1", false);
        test::addBlockDevice(sysfs_, "8:2", pci + "sda2-disk", "", false);
        test::addBlockDevice(sysfs_, "8:17", usb + "sdb", "sdb1", false);
        test::addBlockDevice(sysfs_, "8:33", "pci0000:00/0000:00:1f.3/block/sdc", "sdc1", true);
        test::addBlockDevice(sysfs_, "179:1", "platform/mmc0/mmc0:0001/block/mmcblk0", "mmcblk0p1",
                             false);
        test::makeDirs(sysfs_ + "/devices/platform/mmc0/mmc0:0001/block/mmcblk0/device");
        test::writeFile(sysfs_ + "/devices/platform/mmc0/mmc0:0001/block/mmcblk0/device/type",
                        "SD\n");
        test::addBlockDevice(sysfs_, "179:9", "platform/mmc1/mmc1:0001/block/mmcblk1", "", false);
        test::makeDirs(sysfs_ + "/devices/platform/mmc1/mmc1:0001/block/mmcblk1/device");
        test::writeFile(sysfs_ + "/devices/platform/mmc1/mmc1:0001/block/mmcblk1/device/type",
                        "MMC\n");
        test::addBlockDevice(sysfs_, "252:0", "virtual/block/zram0", "", false);
        test::addBlockDevice(sysfs_, "11:0", pci + "sr0", "", true);
        // Encrypted volumes: one on the USB stick, one on the internal disk.
        test::addBlockDevice(sysfs_, "253:0", "virtual/block/dm-0", "", false);
        test::makeDirs(sysfs_ + "/devices/virtual/block/dm-0/slaves");
        test::makeSymlink("../../../../" + usb + "sdb/sdb1",
                          sysfs_ + "/devices/virtual/block/dm-0/slaves/sdb1");
        test::addBlockDevice(sysfs_, "253:1", "virtual/block/dm-1", "", false);
        test::makeDirs(sysfs_ + "/devices/virtual/block/dm-1/slaves");
        test::makeSymlink("../../../../" + pci + "sda/sda1",
                          sysfs_ + "/devices/virtual/block/dm-1/slaves/sda1");
    }

    DriveType type(const std::string& fs, unsigned major, unsigned minor,
                   const std::string& source = "none") {
        MountEntry m;
        m.mountPoint = "/mnt";
        m.fsType = fs;
        m.major = major;
        m.minor = minor;
        m.source = source;
        return classifyMount(m, sysfs_);
    }

    test::TempDir dir_;
    std::string sysfs_;
};

TEST_F(DriveTypes, InternalDisksAreFixed) {
    EXPECT_EQ(type("ext4", 8, 1), DriveType::Fixed);
    EXPECT_EQ(type("xfs", 8, 2), DriveType::Fixed);
    EXPECT_EQ(type("fuseblk", 8, 1), DriveType::Fixed);
    EXPECT_EQ(type("ext4", 253, 1), DriveType::Fixed);  // dm on the internal disk
    EXPECT_EQ(type("ext4", 179, 9), DriveType::Fixed);  // soldered eMMC
    EXPECT_EQ(type("ext4", 8, 99), DriveType::Fixed);   // unknown to sysfs, known local fs
    EXPECT_EQ(type("weirdfs", 8, 99), DriveType::Unknown);
}

TEST_F(DriveTypes, RemovableMediaUsbAndSdCardsAreRemovable) {
    EXPECT_EQ(type("vfat", 8, 17), DriveType::Removable);   // on USB, removable flag 0
    EXPECT_EQ(type("exfat", 8, 33), DriveType::Removable);  // removable flag set
    EXPECT_EQ(type("vfat", 179, 1), DriveType::Removable);  // SD card
    EXPECT_EQ(type("ext4", 253, 0), DriveType::Removable);  // dm-crypt on the USB stick
}

TEST_F(DriveTypes, OpticalAndRamDevicesFollowTheDevice) {
    EXPECT_EQ(type("udf", 11, 0), DriveType::CdRom);
    EXPECT_EQ(type("ext2", 11, 0), DriveType::CdRom);
    EXPECT_EQ(type("iso9660", 7, 0), DriveType::CdRom);
    EXPECT_EQ(type("squashfs", 7, 1), DriveType::CdRom);
    EXPECT_EQ(type("ext4", 252, 0), DriveType::RamDisk);
    EXPECT_EQ(type("tmpfs", 0, 25), DriveType::RamDisk);
    EXPECT_EQ(type("ramfs", 0, 26), DriveType::RamDisk);
}

TEST_F(DriveTypes, NetworkAndUnknownFuseFileSystemsAreRemoteWhateverTheDevice) {
    for (const char* fs :
         {"nfs", "nfs4", "cifs", "smb3", "9p", "ceph", "glusterfs", "davfs", "fuse.sshfs",
          "fuse.rclone", "fuse.gvfsd-fuse", "fuse", "fuse.something-new"}) {
        EXPECT_EQ(type(fs, 0, 50), DriveType::Remote) << fs;
        EXPECT_EQ(type(fs, 8, 1), DriveType::Remote) << fs;
        EXPECT_TRUE(isRemoteFileSystem(fs)) << fs;
    }
    EXPECT_FALSE(isRemoteFileSystem("fuse.gocryptfs"));
    EXPECT_FALSE(isRemoteFileSystem("fuseblk"));
}

TEST_F(DriveTypes, DevicelessLocalFileSystemsAreFixedAndUnknownOnesAreLeftUnknown) {
    EXPECT_EQ(type("overlay", 0, 50), DriveType::Fixed);
    EXPECT_EQ(type("btrfs", 0, 51, "none"), DriveType::Fixed);
    EXPECT_EQ(type("zfs", 0, 52, "tank/home"), DriveType::Fixed);
    EXPECT_EQ(type("fuse.gocryptfs", 0, 53), DriveType::Fixed);
    EXPECT_EQ(type("mysteryfs", 0, 54), DriveType::Unknown);
    EXPECT_EQ(type("proc", 0, 4), DriveType::Unknown);
}

TEST_F(DriveTypes, AMissingSysfsLeavesOnlyTheFileSystemTypeToDecide) {
    EXPECT_EQ(classifyBlockDevice(dir_ / "nowhere", 8, 1), BlockKind::Unknown);
    EXPECT_EQ(classifyBlockDevice(sysfs_, 8, 17), BlockKind::Removable);
    EXPECT_EQ(classifyBlockDevice(sysfs_, 8, 1), BlockKind::Fixed);
}

}  // namespace
}  // namespace tw::linux_platform
