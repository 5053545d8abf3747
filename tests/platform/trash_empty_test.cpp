// The order and scope of emptying one trash directory.

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <utility>

#include "platform/linux/trash_empty.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

class TrashEmpty : public ::testing::Test {
  protected:
    test::TempDir dir_;
    std::string trash_ = dir_ / "Trash";
};

TEST_F(TrashEmpty, RemovesItemsOrphansLeftoversAndTheSizeCacheButKeepsTheLayout) {
    test::trashItem(trash_, "file");
    test::trashItem(trash_, "folder", true);
    test::writeFile(trash_ + "/files/no-info");                          // orphan entry of files/
    test::writeFile(trash_ + "/info/gone.trashinfo", "[Trash Info]\n");  // orphan .trashinfo
    test::writeFile(trash_ + "/info/being-written.tmp");                 // not ours to judge
    test::makeDirs(trash_ + "/expunged/half-deleted/sub");
    test::writeFile(trash_ + "/expunged/half-deleted/sub/f");
    test::writeFile(trash_ + "/directorysizes", "4096 1700000000 folder\n");

    EXPECT_TRUE(test::emptyTrashAt(trash_));
    EXPECT_TRUE(std::filesystem::is_empty(trash_ + "/files"));
    EXPECT_TRUE(std::filesystem::is_empty(trash_ + "/expunged"));
    EXPECT_FALSE(test::exists(trash_ + "/info/file.trashinfo"));
    EXPECT_FALSE(test::exists(trash_ + "/info/folder.trashinfo"));
    EXPECT_FALSE(test::exists(trash_ + "/info/gone.trashinfo"));
    EXPECT_TRUE(test::exists(trash_ + "/info/being-written.tmp"));
    EXPECT_FALSE(test::exists(trash_ + "/directorysizes"));
}

TEST_F(TrashEmpty, ATrashWithoutItsDirectoriesIsAlreadyEmpty) {
    test::makeDirs(trash_);
    EXPECT_TRUE(test::emptyTrashAt(trash_));
}

TEST_F(TrashEmpty, ItemsTrashedWhileItRunsSurvive) {
    test::trashItem(trash_, "old");
    test::trashItem(trash_, "old-folder", true);
    // Another program has written this .trashinfo and is about to move the file in.
    test::writeFile(trash_ + "/info/arriving.trashinfo", "[Trash Info]\n");
    test::writeFile(dir_ / "arriving", "new data");

    EmptyOptions options;
    options.afterSnapshot = [&] {
        test::trashItem(trash_, "late");
        std::filesystem::rename(dir_ / "arriving", trash_ + "/files/arriving");
    };
    EXPECT_TRUE(test::emptyTrashAt(trash_, nullptr, options));
    EXPECT_TRUE(test::exists(trash_ + "/files/late"));
    EXPECT_TRUE(test::exists(trash_ + "/info/late.trashinfo"));
    EXPECT_EQ(test::readFile(trash_ + "/files/arriving"), "new data");
    EXPECT_TRUE(test::exists(trash_ + "/info/arriving.trashinfo"));
    EXPECT_FALSE(test::exists(trash_ + "/files/old-folder"));
    EXPECT_FALSE(test::exists(trash_ + "/info/old-folder.trashinfo"));
}

TEST_F(TrashEmpty, AFileRestoredAndTrashedAgainUnderItsNameWhileItRunsStays) {
    test::trashItem(trash_, "replaced");
    test::trashItem(trash_, "again");
    test::trashItem(trash_, "folder-again", true);
    test::trashItem(trash_, "untouched");
    const auto move = [](const std::string& from, const std::string& to) {
        ASSERT_EQ(std::rename(from.c_str(), to.c_str()), 0) << from;
    };
    EmptyOptions options;
    options.afterSnapshot = [&] {
        // A file system may stamp changes with a coarse clock: once it has ticked, whatever
        // happens is stamped after the moment the empty began.
        const auto coarse = [] {
            struct timespec t;
            ::clock_gettime(CLOCK_REALTIME_COARSE, &t);
            return std::pair(t.tv_sec, t.tv_nsec);
        };
        for (const auto began = coarse(); coarse() == began;) {
        }
        // Restored, and a different file trashed under the freed name.
        move(trash_ + "/files/replaced", dir_ / "replaced");
        std::filesystem::remove(trash_ + "/info/replaced.trashinfo");
        test::writeFile(dir_ / "newer", "newer");
        test::trashItem(trash_, "replaced");
        std::filesystem::remove(trash_ + "/files/replaced");
        move(dir_ / "newer", trash_ + "/files/replaced");
        // Restored and trashed again: the same file or folder, back under its name.
        for (const char* name : {"again", "folder-again"}) {
            move(trash_ + "/files/" + name, dir_ / name);
            move(dir_ / name, trash_ + "/files/" + name);
        }
    };
    EXPECT_TRUE(test::emptyTrashAt(trash_, nullptr, options));
    EXPECT_EQ(test::readFile(trash_ + "/files/replaced"), "newer");
    EXPECT_TRUE(test::exists(trash_ + "/info/replaced.trashinfo"));
    EXPECT_TRUE(test::exists(dir_ / "replaced"));
    for (const char* name : {"again", "folder-again"}) {
        EXPECT_TRUE(test::exists(trash_ + "/files/" + name)) << name;
        EXPECT_TRUE(test::exists(trash_ + "/info/" + name + ".trashinfo")) << name;
    }
    EXPECT_FALSE(test::exists(trash_ + "/files/untouched"));
    EXPECT_FALSE(test::exists(trash_ + "/info/untouched.trashinfo"));
}

TEST_F(TrashEmpty, AFolderRestoredWhileItRunsLosesNothing) {
    constexpr int kFiles = 3000;
    test::trashItem(trash_, "big", true);
    test::trashItem(trash_, "early", true);
    test::makeDirs(trash_ + "/files/big/sub");
    for (int i = 0; i < kFiles; ++i)
        test::writeFile(trash_ + "/files/big/sub/f" + std::to_string(i));
    // A restore: the folder moves out of files/, then its record goes.
    auto restore = [&](const std::string& name) {
        if (std::rename((trash_ + "/files/" + name).c_str(), (dir_ / name).c_str()) != 0) {
            return false;
        }
        std::filesystem::remove(trash_ + "/info/" + name + ".trashinfo");
        return true;
    };

    bool bigRestored = false;
    EmptyOptions options;
    options.afterSnapshot = [&] {
        ASSERT_TRUE(restore("early"));
        test::trashItem(trash_, "early", true);  // a new folder takes the free name
        test::writeFile(trash_ + "/files/early/inner", "newer");
    };
    options.folderTaken = [&](std::string_view item) {
        if (item == "big") bigRestored = restore("big");
    };
    EXPECT_TRUE(test::emptyTrashAt(trash_, nullptr, options));

    EXPECT_EQ(test::readFile(dir_ / "early/inner"), "inner");
    EXPECT_EQ(test::readFile(trash_ + "/files/early/inner"), "newer");
    EXPECT_TRUE(test::exists(trash_ + "/info/early.trashinfo"));
    // Taken for removal, the folder is out of reach: a restore either finds it whole or
    // not at all.
    if (bigRestored) {
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_ / "big/sub"), {}), kFiles);
    } else {
        EXPECT_FALSE(test::exists(trash_ + "/files/big"));
        EXPECT_FALSE(test::exists(trash_ + "/info/big.trashinfo"));
    }
    EXPECT_TRUE(std::filesystem::is_empty(trash_ + "/expunged"));
}

TEST_F(TrashEmpty, AFilesDirectoryThatIsALinkIsLeftAloneWithItsTrashInfo) {
    test::makeDirs(dir_ / "elsewhere");
    test::writeFile(dir_ / "elsewhere/x", "keep");
    test::makeDirs(trash_ + "/info");
    test::writeFile(trash_ + "/info/x.trashinfo");
    test::makeSymlink(dir_ / "elsewhere", trash_ + "/files");
    RemoveLog log;
    EXPECT_FALSE(test::emptyTrashAt(trash_, &log));
    EXPECT_EQ(test::readFile(dir_ / "elsewhere/x"), "keep");
    EXPECT_TRUE(test::exists(trash_ + "/info/x.trashinfo"));
    EXPECT_EQ(log.count(), 1u);
}

}  // namespace
}  // namespace tw::linux_platform
