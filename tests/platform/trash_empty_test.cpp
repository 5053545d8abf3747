// The order and scope of emptying one trash directory.

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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

// The journal says what the file system got back and what is left: a sparse file frees its
// blocks, not its size; a file with another name frees nothing, in a folder too, where of two
// names the second frees the file; a folder of which part could not go says how much went and
// how much stayed, and frees what went; so do the leftovers of an interrupted empty.
TEST_F(TrashEmpty, WhatIsFreedAndWhatIsLeftAreTold) {
    std::uint64_t blocks = 0;
    const auto frees = [&](const std::string& path) {
        struct stat st {};
        EXPECT_EQ(lstat(path.c_str(), &st), 0);
        blocks += static_cast<std::uint64_t>(st.st_blocks) * 512;
    };
    const auto linkFrom = [&](const std::string& from, const std::string& to) {
        test::writeFile(from, std::string(1 << 20, 'l'));
        ASSERT_EQ(link(from.c_str(), to.c_str()), 0);
    };
    test::trashItem(trash_, "plain");
    test::writeFile(trash_ + "/files/plain", std::string(10000, 'p'));
    frees(trash_ + "/files/plain");
    test::trashItem(trash_, "sparse");
    std::filesystem::resize_file(trash_ + "/files/sparse", 1 << 30);
    frees(trash_ + "/files/sparse");
    test::trashItem(trash_, "linked");
    linkFrom(trash_ + "/files/linked", dir_ / "still-here");
    test::trashItem(trash_, "album", true);
    const std::string album = trash_ + "/files/album";
    test::makeDirs(album + "/sub");
    test::writeFile(album + "/sub/sparse");
    std::filesystem::resize_file(album + "/sub/sparse", 1 << 30);
    linkFrom(album + "/linked", dir_ / "also-here");
    linkFrom(album + "/twin", album + "/sub/twin");
    for (const char* in : {"", "/inner", "/sub", "/sub/sparse", "/twin"}) frees(album + in);
    test::trashItem(trash_, "photos", true);  // holds one file
    for (const char* name : {"a", "b"}) test::writeFile(trash_ + "/files/photos/" + name);
    test::makeDirs(trash_ + "/files/photos/mounted/x");
    for (const char* name : {"inner", "a", "b"}) frees(trash_ + "/files/photos/" + name);
    test::makeDirs(trash_ + "/expunged/half");  // what an interrupted empty left
    test::writeFile(trash_ + "/expunged/half/f");
    for (const char* in : {"", "/f"}) frees(trash_ + "/expunged/half" + in);

    EmptyOptions options;
    options.fencedMountPoints = {trash_ + "/files/photos/mounted"};
    EmptyPlace place;
    EXPECT_FALSE(test::emptyTrashAt(trash_, nullptr, options, &place));
    EXPECT_EQ(place.removed, 4u);
    EXPECT_EQ(place.bytesFreed, blocks);
    EXPECT_LT(place.bytesFreed, 2u << 20);
    ASSERT_EQ(place.keptItems.size(), 1u);
    EXPECT_EQ(place.keptItems[0].reason, KeptReason::PartlyRemoved);
    EXPECT_EQ(place.keptItems[0].entriesRemoved, 3u);
    EXPECT_EQ(place.keptItems[0].entriesLeft, 1u);
    EXPECT_TRUE(test::exists(trash_ + "/files/photos/mounted/x"));
}

// What another program does at the racy moment stays: a folder restored right after its check
// while another is trashed under its name, and a record written for an item on its way in.
TEST_F(TrashEmpty, WhatOthersPutThereWhileTheEmptyRunsStays) {
    test::trashItem(trash_, "swapped", true);
    test::writeFile(trash_ + "/info/arriving.trashinfo", "[Trash Info]\n");
    EmptyOptions options;
    options.afterSnapshot = [&] {
        test::writeFile(trash_ + "/info/arriving.trashinfo", "[Trash Info]\nPath=/arriving\n");
    };
    options.itemChecked = [&](std::string_view item) {
        if (item != "swapped") return;
        std::filesystem::rename(trash_ + "/files/swapped", dir_ / "restored");
        test::makeDirs(trash_ + "/files/swapped");
        test::writeFile(trash_ + "/files/swapped/new");
    };
    test::emptyTrashAt(trash_, nullptr, options);
    EXPECT_TRUE(test::exists(dir_ / "restored/inner"));
    EXPECT_TRUE(test::exists(trash_ + "/files/swapped/new"));
    EXPECT_TRUE(test::exists(trash_ + "/info/arriving.trashinfo"));
}

TEST_F(TrashEmpty, ATrashWithoutItsDirectoriesIsAlreadyEmpty) {
    test::makeDirs(trash_);
    EXPECT_TRUE(test::emptyTrashAt(trash_));
}

TEST_F(TrashEmpty, AChangeStampedAfterThePresentIsAClockStepNotALateArrival) {
    constexpr std::int64_t kHour = 3600 * std::int64_t{1000000000};
    // The empty's clock is stepped by `atStart` when it begins and by `later` once it has
    // listed everything; an item comes back while that clock agrees with the file system's.
    // A step back during the empty moves its start back as far: what came shortly before
    // stays too. What was trashed once everything was listed stays whatever the stamps say.
    struct Case {
        const char* what;
        std::int64_t atStart, later;
        bool oldGoes;
    };
    const Case cases[] = {
        {"set back an hour before: all is stamped in the future", -kHour, -kHour, true},
        {"set back during the empty, after an item came back", 0, -kHour, false},
        {"set back during the empty, before an item came back", kHour, 0, true},
    };
    for (const Case& c : cases) {
        const std::string trash = dir_ / c.what;
        test::trashItem(trash, "old");
        test::trashItem(trash, "back");
        test::trashItem(trash, "taken", true);
        std::int64_t step = c.atStart;
        bool cameBack = false;
        const auto comeBack = [&] {
            if (step != 0 || cameBack) return;
            std::filesystem::rename(trash + "/files/back", dir_ / "back");
            std::filesystem::rename(dir_ / "back", trash + "/files/back");
            cameBack = true;
        };
        EmptyOptions options;
        options.clockStep = [&] { return step; };
        options.afterSnapshot = [&] {
            comeBack();
            step = c.later;
            comeBack();
            test::trashItem(trash, "new");
            test::writeFile(trash + "/info/lone.trashinfo", "[Trash Info]\n");
            // Restored, and another folder trashed under its name.
            std::filesystem::rename(trash + "/files/taken",
                                    dir_ / (std::string(c.what) + "-taken"));
            test::trashItem(trash, "taken", true);
        };
        // One name at a time: the items come again with the removals under way.
        options.listingBatchBytes = 1;
        EXPECT_TRUE(test::emptyTrashAt(trash, nullptr, options)) << c.what;
        EXPECT_TRUE(test::exists(trash + "/files/new")) << c.what;
        EXPECT_TRUE(test::exists(trash + "/info/new.trashinfo")) << c.what;
        EXPECT_TRUE(test::exists(trash + "/info/lone.trashinfo")) << c.what;
        EXPECT_TRUE(test::exists(trash + "/files/taken/inner")) << c.what;
        EXPECT_EQ(test::exists(trash + "/files/old"), !c.oldGoes) << c.what;
        EXPECT_EQ(test::exists(trash + "/files/back"), cameBack) << c.what;
        EXPECT_EQ(test::exists(trash + "/info/back.trashinfo"), cameBack) << c.what;
    }
}

// A stamp may have been cut to the coarsest step it is a multiple of (FAT's two seconds, whole
// seconds): a change stamped up to one such step before the start may have come after it.
TEST(EmptyStartStamps, AStampMayLieAStepBeforeTheChangeItStandsFor) {
    constexpr std::int64_t kSecond = 1000000000;
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t even = (now.tv_sec | 1) + 1;  // an even second to come
    // The empty begins half-way through the odd second after it, as its clock reads.
    const std::int64_t start = even * kSecond + 3 * kSecond / 2;
    const EmptyStart began = EmptyStart::now([&] {
        struct timespec t;
        ::clock_gettime(CLOCK_REALTIME, &t);
        return start - nanoseconds(t);
    });
    const struct {
        std::int64_t stamp;  // seconds after `even`
        bool late;
    } cases[] = {{0, true}, {1, true}, {-1, false}, {-2, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(began.changedSince({static_cast<time_t>(even + c.stamp), 0}), c.late) << c.stamp;
    }
}

// ext4 made with 128-byte inodes stamps changes in whole seconds, as ext3 does.
TEST_F(TrashEmpty, OnAFileSystemOfWholeSecondsWhatComesBackInTheSecondTheEmptyBeganStays) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a file system image takes root";
    const std::string tree = dir_ / "tree", image = dir_ / "image", mnt = dir_ / "mnt";
    const std::vector<std::string> back = {"back", "back-folder"};
    test::trashItem(tree + "/Trash", "old");
    for (const std::string& name : back) test::trashItem(tree + "/Trash", name, name != "back");
    test::makeDirs(tree + "/out");
    test::makeDirs(mnt);
    // Every item and record stamped long ago: only what the empty sees happen counts.
    std::string stamps;
    for (const std::string& name : {std::string("old"), back[0], back[1]}) {
        for (const std::string& path :
             {"/Trash/files/" + name, "/Trash/info/" + name + ".trashinfo"}) {
            stamps += "sif " + path + " ctime @1500000000\nsif " + path + " mtime @1500000000\n";
        }
    }
    test::writeFile(dir_ / "stamps", stamps);
    const std::string make = "mkfs.ext4 -q -I 128 -d " + tree + " " + image +
                             " 4M && debugfs -w -f " + dir_ / "stamps" + " " + image;
    if (std::system((make + " >/dev/null 2>&1").c_str()) != 0) {
        GTEST_SKIP() << "could not make an ext4 image: " << make;
    }
    const int status = test::runOnMount("mount -o loop " + image + " " + mnt, "umount " + mnt, [&] {
        EmptyOptions options;
        options.afterSnapshot = [&] {
            for (const std::string& name : back) {
                std::filesystem::rename(mnt + "/Trash/files/" + name, mnt + "/out/" + name);
                std::filesystem::rename(mnt + "/out/" + name, mnt + "/Trash/files/" + name);
            }
        };
        int result = test::emptyTrashAt(mnt + "/Trash", nullptr, options) ? 0 : 1;
        if (test::exists(mnt + "/Trash/files/old") ||
            test::exists(mnt + "/Trash/info/old.trashinfo")) {
            result |= 2;
        }
        for (const std::string& name : back) {
            if (!test::exists(mnt + "/Trash/files/" + name) ||
                !test::exists(mnt + "/Trash/info/" + name + ".trashinfo")) {
                result |= 4;
            }
        }
        return result;
    });
    if (status == test::kNoMount) GTEST_SKIP() << "no loop mount here";
    EXPECT_EQ(status, 0);
}

TEST_F(TrashEmpty, RecordsThatFillTheirIndexExactlyAreStillFound) {
    // Index sizes are powers of two; a look-up that never ends would freeze every empty, so
    // each runs in a child that a watchdog ends.
    for (int records : {16, 32}) {
        const std::string trash = dir_ / ("Trash" + std::to_string(records));
        for (int i = 0; i < records; ++i) test::trashItem(trash, "item" + std::to_string(i));
        test::writeFile(trash + "/files/no-record");
        const int status = test::runInChild([&] {
            ::alarm(30);
            return test::emptyTrashAt(trash) ? 0 : 1;
        });
        EXPECT_EQ(status, 0) << records;
        EXPECT_TRUE(std::filesystem::is_empty(trash + "/files")) << records;
        EXPECT_TRUE(std::filesystem::is_empty(trash + "/info")) << records;
    }
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
