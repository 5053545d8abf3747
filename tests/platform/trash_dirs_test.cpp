#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/linux/trash_count.h"
#include "platform/linux/trash_dirs.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

constexpr uid_t kUser = 4242;

Mount mount(const std::string& point, DriveType type, const std::string& fs = "ext4") {
    Mount m;
    m.entry.mountPoint = point;
    m.entry.fsType = fs;
    m.type = type;
    return m;
}

// Two fake volumes below a temporary directory; "/" is a read-only image so that nothing of
// the real machine is ever taken for a trash of the test user's.
class TrashDirs : public ::testing::Test {
  protected:
    void SetUp() override {
        vol_ = dir_ / "vol";
        other_ = dir_ / "other";
        test::makeDirs(vol_);
        test::makeDirs(other_);
        table_ = MountTable({mount("/", DriveType::CdRom, "squashfs"),
                             mount(vol_, DriveType::Fixed), mount(other_, DriveType::Removable),
                             mount(dir_ / "share", DriveType::Remote, "nfs4")});
    }
    const Mount& volume() const { return *table_.drive(vol_); }

    std::vector<std::string> found(const Mount& m, const std::string& homeTrash = "") const {
        std::vector<std::string> paths;
        for (const TrashDirectory& t : openTrashDirectories(table_, m, homeTrash, kUser)) {
            paths.push_back(t.path);
        }
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    void makeOwned(const std::string& path, uid_t owner = kUser, mode_t mode = 0700) {
        test::makeDirs(path, mode);
        ASSERT_EQ(::chown(path.c_str(), owner, owner), 0);
    }

    test::TempDir dir_;
    std::string vol_, other_;
    MountTable table_;
};

TEST_F(TrashDirs, HomeTrashFollowsXdgDataHomeAndFallsBackToHome) {
    EXPECT_EQ(homeTrashPath("/home/u", "/data/xdg"), "/data/xdg/Trash");
    EXPECT_EQ(homeTrashPath("/home/u", ""), "/home/u/.local/share/Trash");
    EXPECT_EQ(homeTrashPath("/home/u", "relative/xdg"), "/home/u/.local/share/Trash");
    EXPECT_EQ(homeTrashPath("", ""), "");
    EXPECT_EQ(homeTrashPath("relative", ""), "");
}

TEST_F(TrashDirs, UserTopDirTrashMustBeARealDirectoryOwnedByTheUser) {
    makeOwned(vol_ + "/.Trash-4242");
    EXPECT_EQ(found(volume()), std::vector<std::string>{vol_ + "/.Trash-4242"});

    // Someone else's directory under our name is not ours to empty.
    ASSERT_EQ(::chown((vol_ + "/.Trash-4242").c_str(), 4343, 4343), 0);
    EXPECT_TRUE(found(volume()).empty());

    // Nor is a link to a directory of ours.
    ASSERT_EQ(::rename((vol_ + "/.Trash-4242").c_str(), (vol_ + "/elsewhere").c_str()), 0);
    makeOwned(vol_ + "/mine");
    test::makeSymlink(vol_ + "/mine", vol_ + "/.Trash-4242");
    EXPECT_TRUE(found(volume()).empty());
}

TEST_F(TrashDirs, SharedTopDirTrashNeedsTheStickyBitAndNoLinks) {
    makeOwned(vol_ + "/.Trash", 0, 01777);
    makeOwned(vol_ + "/.Trash/4242");
    EXPECT_EQ(found(volume()), std::vector<std::string>{vol_ + "/.Trash/4242"});

    ASSERT_EQ(::chmod((vol_ + "/.Trash").c_str(), 0777), 0);  // sticky bit lost
    EXPECT_TRUE(found(volume()).empty());
    ASSERT_EQ(::chmod((vol_ + "/.Trash").c_str(), 01777), 0);

    // Another user may have planted our directory: it must be ours.
    ASSERT_EQ(::chown((vol_ + "/.Trash/4242").c_str(), 4343, 4343), 0);
    EXPECT_TRUE(found(volume()).empty());
    ASSERT_EQ(::rmdir((vol_ + "/.Trash/4242").c_str()), 0);
    makeOwned(vol_ + "/mine");
    test::makeSymlink(vol_ + "/mine", vol_ + "/.Trash/4242");
    EXPECT_TRUE(found(volume()).empty());
}

TEST_F(TrashDirs, ASharedTrashThatIsALinkIsIgnored) {
    makeOwned(vol_ + "/real-shared", 0, 01777);
    makeOwned(vol_ + "/real-shared/4242");
    test::makeSymlink("real-shared", vol_ + "/.Trash");
    EXPECT_TRUE(found(volume()).empty());
}

TEST_F(TrashDirs, HomeTrashBelongsToTheMountItReallyLiesOn) {
    makeOwned(vol_ + "/xdg/Trash");
    makeOwned(vol_ + "/.Trash-4242");
    EXPECT_EQ(found(volume(), vol_ + "/xdg/Trash"),
              (std::vector<std::string>{vol_ + "/.Trash-4242", vol_ + "/xdg/Trash"}));
    EXPECT_TRUE(found(*table_.drive(other_), vol_ + "/xdg/Trash").empty());

    // Through a link the home trash lies on the other volume.
    makeOwned(other_ + "/real-data/Trash");
    test::makeSymlink(other_ + "/real-data", vol_ + "/linked-data");
    EXPECT_EQ(found(*table_.drive(other_), vol_ + "/linked-data/Trash"),
              std::vector<std::string>{other_ + "/real-data/Trash"});
    EXPECT_EQ(found(volume(), vol_ + "/linked-data/Trash"),
              std::vector<std::string>{vol_ + "/.Trash-4242"});
}

TEST_F(TrashDirs, AHomeTrashThatIsAlsoATopDirTrashIsListedOnce) {
    makeOwned(vol_ + "/.Trash-4242");
    EXPECT_EQ(found(volume(), vol_ + "/.Trash-4242").size(), 1u);
}

TEST_F(TrashDirs, RemoteOpticalAndSharedReachedMountsOfferNoTrash) {
    makeOwned(dir_ / "share/.Trash-4242");
    EXPECT_TRUE(found(*table_.drive(dir_ / "share"), dir_ / "share/.Trash-4242").empty());
    // The home trash on the share is not even resolved, so not found from anywhere.
    EXPECT_TRUE(found(volume(), dir_ / "share/.Trash-4242").empty());
    EXPECT_TRUE(found(*table_.drive("/")).empty());

    MountTable nested({mount("/", DriveType::Fixed), mount(dir_ / "share", DriveType::Remote),
                       mount(dir_ / "share/usb", DriveType::Removable)});
    makeOwned(dir_ / "share/usb/.Trash-4242");
    EXPECT_TRUE(openTrashDirectories(nested, *nested.drive(dir_ / "share/usb"), "", kUser).empty());
}

class TrashCount : public ::testing::Test {
  protected:
    std::int64_t count() {
        UniqueFd fd(::open(trash_.c_str(), O_RDONLY | O_DIRECTORY));
        return countTrashItems(fd.get()).value_or(-1);
    }
    test::TempDir dir_;
    std::string trash_ = dir_ / "Trash";
};

TEST_F(TrashCount, CountsTopLevelItemsAndOrphanInfoFilesOnly) {
    test::makeDirs(trash_);
    EXPECT_EQ(count(), 0);
    test::trashItem(trash_, "file");
    test::trashItem(trash_, "folder", true);
    for (int i = 0; i < 50; ++i) test::writeFile(trash_ + "/files/folder/f" + std::to_string(i));
    test::makeSymlink("/etc", trash_ + "/files/link");  // no .trashinfo: still an item
    test::writeFile(trash_ + "/info/gone.trashinfo", "[Trash Info]\n");  // orphan
    test::writeFile(trash_ + "/info/.trashinfo");                        // orphan, empty name
    test::writeFile(trash_ + "/info/notes.txt");                         // not an item
    test::makeDirs(trash_ + "/info/odd.trashinfo");                      // not an item
    test::makeDirs(trash_ + "/expunged/old");                            // not an item
    EXPECT_EQ(count(), 5);
}

TEST_F(TrashCount, ALargeTrashCountsExactlyWhatItsEmptyRemoves) {
    // Enough names to fill several reads of files/ and the look-ahead of the matching. At first
    // every item has its record: an item or a record the matching skips then shows wherever it
    // comes in the directories' order, which the file system chooses.
    test::makeDirs(trash_ + "/files");
    test::makeDirs(trash_ + "/info");
    auto name = [](int i) { return "item-" + std::to_string(i) + std::string(i % 50, 'x'); };
    for (int i = 0; i < 3000; ++i) {
        test::writeFile(trash_ + "/files/" + name(i));
        test::writeFile(trash_ + "/info/" + name(i) + ".trashinfo");
    }
    EXPECT_EQ(count(), 3000);
    for (int i = 0; i < 3000; ++i) {
        if (i % 3 == 0) std::filesystem::remove(trash_ + "/files/" + name(i));
        if (i % 5 == 0) std::filesystem::remove(trash_ + "/info/" + name(i) + ".trashinfo");
    }
    // Items: 2000 in files/; orphans: the records of the 1000 missing, less 200 without one.
    EXPECT_EQ(count(), 2000 + 800);
    EXPECT_TRUE(test::emptyTrashAt(trash_));
    EXPECT_EQ(count(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(trash_ + "/info"));
}

TEST_F(TrashCount, OrphanInfoFilesCountWithoutFilesAndABrokenFilesDirectoryCantBeCounted) {
    test::makeDirs(trash_ + "/info");
    test::writeFile(trash_ + "/info/a.trashinfo");
    test::writeFile(trash_ + "/info/b.trashinfo");
    EXPECT_EQ(count(), 2);
    test::makeDirs(dir_ / "elsewhere");
    test::writeFile(dir_ / "elsewhere/a");
    test::makeSymlink(dir_ / "elsewhere", trash_ + "/files");
    EXPECT_EQ(count(), -1);
}

}  // namespace
}  // namespace tw::linux_platform
