// The remover's safety: what rm -rf --one-file-system guarantees, on real directories.

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/linux/remove_log.h"
#include "platform/linux/trash_empty.h"
#include "platform/linux/trash_remove.h"
#include "platform/trash_test_support.h"

namespace tw::linux_platform {
namespace {

class TrashRemoval : public ::testing::Test {
  protected:
    void SetUp() override {
        test::makeDirs(trash_ + "/files");
        test::makeDirs(trash_ + "/info");
        test::makeDirs(outside_);
        test::writeFile(outside_ + "/precious", "keep me");
    }
    bool filesEmpty() const { return std::filesystem::is_empty(trash_ + "/files"); }
    bool infoEmpty() const { return std::filesystem::is_empty(trash_ + "/info"); }

    test::TempDir dir_;
    std::string trash_ = dir_ / "Trash";
    std::string outside_ = dir_ / "outside";
};

TEST_F(TrashRemoval, LinksAreRemovedAndTheirTargetsNeverTouched) {
    test::makeSymlink(outside_, trash_ + "/files/link-to-dir");
    test::makeSymlink(outside_ + "/precious", trash_ + "/files/link-to-file");
    test::trashItem(trash_, "folder", true);
    test::makeSymlink(outside_, trash_ + "/files/folder/inner-link");
    test::makeSymlink("../../../outside", trash_ + "/files/folder/relative-link");
    test::makeSymlink("/nonexistent/target", trash_ + "/files/folder/dangling");
    test::makeDirs(trash_ + "/files/folder/sub");
    test::makeSymlink(outside_, trash_ + "/files/folder/sub/deep-link");

    EXPECT_TRUE(test::emptyTrashAt(trash_));
    EXPECT_TRUE(filesEmpty());
    EXPECT_TRUE(infoEmpty());
    EXPECT_EQ(test::readFile(outside_ + "/precious"), "keep me");
}

TEST_F(TrashRemoval, AFolderSwappedForALinkAfterListingIsNeitherFollowedNorTakenForTheFolder) {
    test::trashItem(trash_, "swapped", true);
    EmptyOptions options;
    options.afterSnapshot = [&] {
        std::filesystem::rename(trash_ + "/files/swapped", dir_ / "moved-away");
        test::makeSymlink(outside_, trash_ + "/files/swapped");
    };
    EXPECT_TRUE(test::emptyTrashAt(trash_, nullptr, options));
    EXPECT_EQ(std::filesystem::read_symlink(trash_ + "/files/swapped"), outside_);
    EXPECT_EQ(test::readFile(outside_ + "/precious"), "keep me");
    EXPECT_EQ(test::readFile(dir_ / "moved-away/inner"), "inner");
}

// Entries below the directory `name` of `parentFd`, through descriptors: deeper than PATH_MAX
// is fine.
std::size_t entriesBelow(int parentFd, const char* name) {
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) return 0;
    std::size_t count = 0;
    while (const struct dirent* e = ::readdir(dir)) {
        if (std::string_view(e->d_name) == "." || std::string_view(e->d_name) == "..") continue;
        ++count;
        if (e->d_type == DT_DIR) count += entriesBelow(::dirfd(dir), e->d_name);
    }
    ::closedir(dir);
    return count;
}
std::size_t entriesBelow(const std::string& path) {
    return entriesBelow(AT_FDCWD, path.c_str());
}
std::size_t filesBelow(const std::string& path) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
        count += entry.is_regular_file();
    }
    return count;
}

// A folder restored out of expunged/ while it is being removed (into the user's documents,
// say) must not be followed there: descriptors would go with it. Each case is a chain of `depth`
// folders below a trashed folder, batches of files at its top and bottom; `moved` (a path below
// the folder) goes to Documents when a batch begins at the bottom of the chain, and a new folder
// may take its name. Whatever the depth, what was moved loses one batch at most.
TEST_F(TrashRemoval, AFolderMovedDuringRemovalLosesAtMostABatchAndIsReportedWhereItIs) {
    const std::string documents = dir_ / "Documents";
    test::makeDirs(documents);
    enum StandIn { None, Folder, Link };
    struct Case {
        std::size_t depth;
        std::string moved;
        StandIn standIn;
    };
    const Case cases[] = {
        {0, "", None},         // the whole folder, as its first batch begins
        {0, "", Folder},       //
        {5, "/a/a", Folder},   // a folder half-way down
        {70, "/a/a", Folder},  // the same, on a walk too deep to hold every level open
        {1000, "", Link},      // far deeper than a batch, a link to where it went in its place
        {2100, "/a", Folder},  // deeper than the longest path the kernel names
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("depth " + std::to_string(c.depth) + ", moved item" + c.moved);
        test::trashItem(trash_, "item", true);
        const int files = 3 * static_cast<int>(TreeRemover::kBatch);
        test::makeDeepTree(trash_ + "/files/item", static_cast<int>(c.depth), "a", files);
        std::string bottom = trash_ + "/files/item";
        for (std::size_t i = 0; i < c.depth; ++i) bottom += "/a";
        for (int i = 0; i < files; ++i) {
            test::writeFile(trash_ + "/files/item/f" + std::to_string(i));
        }
        const std::string newPlace = documents + "/moved" + std::to_string(&c - cases);
        std::size_t before = 0;
        EmptyOptions options;
        // Shown under its name in files/ while it lies in expunged/ under a name of its own.
        options.removalBatch = [&](std::string_view directory) {
            if (before != 0 || directory != bottom) return;
            const std::string from =
                std::filesystem::directory_iterator(trash_ + "/expunged")->path().string() +
                c.moved;
            before = entriesBelow(from);
            std::filesystem::rename(from, newPlace);
            if (c.standIn == Folder) test::makeDirs(from);
            if (c.standIn == Link) test::makeSymlink(newPlace, from);
        };
        RemoveLog log;
        EXPECT_FALSE(test::emptyTrashAt(trash_, &log, options));
        ASSERT_NE(before, 0u);
        EXPECT_LE(before - entriesBelow(newPlace), TreeRemover::kBatch);
        EXPECT_EQ(filesBelow(trash_ + "/files") + filesBelow(trash_ + "/expunged"), 0u);
        // Told once, where it is now.
        EXPECT_EQ(log.lines().size(), 1u);
        const std::string said = log.lines().empty() ? "" : log.lines()[0];
        EXPECT_NE(said.find("'" + newPlace + "'"), std::string::npos) << said;
        test::runInChild([&] {
            ::execlp("rm", "rm", "-rf", "--", (trash_ + "/files/item").c_str(),
                     (trash_ + "/expunged").c_str(), (trash_ + "/info/item.trashinfo").c_str(),
                     static_cast<char*>(nullptr));
            return 127;
        });
    }
}

TEST_F(TrashRemoval, NamesAreBytes) {
    const std::vector<std::string> names = {
        "\xff\xfe\xfd",
        "line\nbreak",
        "-rf",
        "--",
        "-",
        " lead",
        "trail ",
        "*",
        "back\\slash",
        "tab\tname",
        "\x01"
        "ctl",
        "...",
        ".hidden",
        "caf\xc3\xa9",
        "quote'\"",
    };
    test::trashItem(trash_, "nested", true);
    for (const std::string& name : names) {
        test::trashItem(trash_, name);
        test::makeDirs(trash_ + "/files/nested/" + name);
        test::writeFile(trash_ + "/files/nested/" + name + "/" + name, "x");
    }
    RemoveLog log;
    EXPECT_TRUE(test::emptyTrashAt(trash_, &log));
    EXPECT_TRUE(filesEmpty());
    EXPECT_TRUE(infoEmpty());
    EXPECT_EQ(log.count(), 0u);
}

TEST_F(TrashRemoval, LoggedNamesCannotForgeLines) {
    RemoveLog log;
    log.failure("/t/evil\nname", EACCES);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].find('\n'), std::string::npos);
}

TEST_F(TrashRemoval, NestingDeeperThanPathMaxAndTheDescriptorLimitGoesAndLeaksNothing) {
    constexpr int kDepth = 2600;  // 2 bytes a level: well past PATH_MAX as one path
    static_assert(2 * kDepth > PATH_MAX);
    test::trashItem(trash_, "deep", true);
    test::makeDeepTree(trash_ + "/files/deep", kDepth);
    test::makeDeepTree(trash_ + "/files/deep", 300, "e");  // a second branch beside it
    // Deeper than the descriptors it may hold open: 0 when all went and none leaked.
    int status = test::runInChild([&] {
        rlimit limit{256, 256};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return 3;
        const int before = test::openDescriptorCount();
        bool ok = test::emptyTrashAt(trash_);
        return (ok ? 0 : 1) | (test::openDescriptorCount() == before ? 0 : 2);
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(filesEmpty());
    EXPECT_TRUE(infoEmpty());
}

// As root every permission check passes, so these run as nobody.
class TrashRemovalAsUser : public TrashRemoval {
  protected:
    int emptyAsNobody() {
        test::chownTree(dir_.path(), test::kNobody, test::kNobody);
        for (auto& [path, mode] : modes_) {
            if (::chmod(path.c_str(), mode) != 0) return -2;
        }
        return test::runAs(test::kNobody, test::kNobody, [&] {
            RemoveLog log;
            const bool ok = test::emptyTrashAt(trash_, &log);
            for (const std::string& line : log.lines()) std::fprintf(stderr, "%s\n", line.c_str());
            return ok ? 0 : 1;
        });
    }
    std::vector<std::pair<std::string, mode_t>> modes_;
};

TEST_F(TrashRemovalAsUser, ReadOnlyAndUnreadableDirectoriesOfTheUserAreOpenedUp) {
    test::trashItem(trash_, "readonly", true);
    test::makeDirs(trash_ + "/files/readonly/sub/deeper");
    test::writeFile(trash_ + "/files/readonly/sub/deeper/file");
    test::trashItem(trash_, "unreadable", true);
    test::trashItem(trash_, "unsearchable", true);
    test::trashItem(trash_, "nothing", true);
    test::makeDirs(trash_ + "/files/nothing/sub");
    modes_ = {{trash_ + "/files/readonly/sub/deeper/file", 0444},
              {trash_ + "/files/readonly/sub/deeper", 0500},
              {trash_ + "/files/readonly/sub", 0555},
              {trash_ + "/files/readonly", 0555},
              {trash_ + "/files/unreadable", 0300},
              {trash_ + "/files/unsearchable", 0600},
              {trash_ + "/files/nothing/sub", 0},
              {trash_ + "/files/nothing", 0},
              {trash_ + "/files", 0555},
              {trash_ + "/info", 0555}};
    EXPECT_EQ(emptyAsNobody(), 0);
    EXPECT_TRUE(filesEmpty());
    EXPECT_TRUE(infoEmpty());
}

TEST_F(TrashRemovalAsUser, WhatCannotGoIsReportedAndKeptTrackOfAndTheRestStillGoes) {
    test::trashItem(trash_, "a-first");
    test::trashItem(trash_, "stuck", true);
    test::trashItem(trash_, "half", true);
    test::makeDirs(trash_ + "/files/half/sub");
    test::writeFile(trash_ + "/files/half/sub/kept");
    test::trashItem(trash_, "z-last", true);
    test::makeDirs(trash_ + "/expunged/left-over/sub");
    test::writeFile(trash_ + "/expunged/left-over/sub/kept");
    test::writeFile(trash_ + "/expunged/left-over/gone");
    test::chownTree(dir_.path(), test::kNobody, test::kNobody);
    // Someone else's folders inside the trash: not ours to open up. One is an item, one is
    // half-way down an item, one is in what an earlier empty left in expunged/.
    for (const char* foreign : {"/files/stuck", "/files/half/sub", "/expunged/left-over/sub"}) {
        ASSERT_EQ(::chown((trash_ + foreign).c_str(), 0, 0), 0);
    }
    std::string logged;
    int status = test::runAs(test::kNobody, test::kNobody, [&] {
        RemoveLog log;
        EmptyPlace place;
        const bool ok = test::emptyTrashAt(trash_, &log, {}, &place);
        std::string lines;
        for (const std::string& line : log.lines()) lines += line + "\n";
        int result = ok ? 1 : 0;
        // The journal has every failure, and what went of the folder half removed.
        if (place.errors != log.failureLines() || place.errors.size() < 3) result |= 16;
        for (const EmptyItem& item : place.keptItems) {
            if (item.originalPath.ends_with("/half") &&
                (item.reason != KeptReason::PartlyRemoved || item.entriesRemoved != 1 ||
                 item.entriesLeft != 2)) {
                result |= 32;
            }
        }
        if (lines.find("'" + trash_ + "/files/stuck': Permission denied") == std::string::npos) {
            result |= 2;
        }
        if (lines.find("'" + trash_ + "/files/half/sub/kept'") == std::string::npos) result |= 4;
        if (lines.find("'" + trash_ + "/expunged/left-over/sub/kept'") == std::string::npos) {
            result |= 8;
        }
        if (result != 0) std::fputs(lines.c_str(), stderr);
        return result;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(test::exists(trash_ + "/files/stuck/inner"));
    EXPECT_TRUE(test::exists(trash_ + "/info/stuck.trashinfo"));
    // Half removed, the folder is back where it was, with its record.
    EXPECT_TRUE(test::exists(trash_ + "/files/half/sub/kept"));
    EXPECT_FALSE(test::exists(trash_ + "/files/half/inner"));
    EXPECT_TRUE(test::exists(trash_ + "/info/half.trashinfo"));
    EXPECT_TRUE(test::exists(trash_ + "/expunged/left-over/sub/kept"));
    EXPECT_FALSE(test::exists(trash_ + "/expunged/left-over/gone"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(trash_ + "/expunged"), {}), 1);
    EXPECT_FALSE(test::exists(trash_ + "/files/a-first"));
    EXPECT_FALSE(test::exists(trash_ + "/info/a-first.trashinfo"));
    EXPECT_FALSE(test::exists(trash_ + "/files/z-last"));
    EXPECT_FALSE(test::exists(trash_ + "/info/z-last.trashinfo"));
}

// Someone else's files/ that the user may list but not search: no item can be looked at, so
// none is gone; each stays with its record and the empty fails.
TEST_F(TrashRemovalAsUser, AnItemThatCannotBeLookedAtIsNeitherGoneNorLosesItsRecord) {
    test::trashItem(trash_, "unseen");
    test::trashItem(trash_, "lone");  // its record alone: an orphan, unless its item is there
    ASSERT_EQ(::unlink((trash_ + "/files/lone").c_str()), 0);
    test::chownTree(dir_.path(), test::kNobody, test::kNobody);
    ASSERT_EQ(::chown((trash_ + "/files").c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod((trash_ + "/files").c_str(), 0744), 0);
    const int status = test::runAs(test::kNobody, test::kNobody, [&] {
        EmptyPlace place;
        const bool ok = test::emptyTrashAt(trash_, nullptr, {}, &place);
        const auto notRemoved = place.kept[static_cast<std::size_t>(KeptReason::NotRemoved)];
        return (ok ? 1 : 0) | (notRemoved != 1 ? 2 : 0);
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(test::exists(trash_ + "/files/unseen"));
    EXPECT_TRUE(test::exists(trash_ + "/info/unseen.trashinfo"));
    EXPECT_TRUE(test::exists(trash_ + "/info/lone.trashinfo"));
}

// Mounted after the mount table was read: one of another file system, and a bind mount of a
// folder of the trash's own file system (the same device; only the mount tells them apart).
TEST_F(TrashRemoval, AMountPointInsideTheTrashIsLeftAloneAndReported) {
    test::trashItem(trash_, "item", true);
    test::makeDirs(trash_ + "/files/item/mnt");
    test::makeDirs(trash_ + "/files/item/sub/bound");
    test::writeFile(trash_ + "/files/item/other");
    const std::string mounts = "mount -t tmpfs -o size=1m tw-test " + trash_ + "/files/item/mnt" +
                               " && mount --bind " + outside_ + " " + trash_ +
                               "/files/item/sub/bound";
    const int status = test::runOnMount(mounts, "", [&] {
        test::writeFile(trash_ + "/files/item/mnt/on-the-mount");
        RemoveLog log;
        bool ok = test::emptyTrashAt(trash_, &log);
        int result = 0;
        if (ok) result |= 1;
        if (!test::exists(trash_ + "/files/item/mnt/on-the-mount")) result |= 2;
        if (test::exists(trash_ + "/files/item/other")) result |= 4;
        if (!test::exists(trash_ + "/info/item.trashinfo")) result |= 8;
        if (log.lines().size() != 2) result |= 16;
        for (const std::string& line : log.lines()) {
            if (line.find("mount point") == std::string::npos) result |= 16;
        }
        if (!test::exists(outside_ + "/precious")) result |= 32;
        return result;
    });
    if (status == test::kNoMount) GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(status, 0);
}

TEST_F(TrashRemoval, AKnownMountPointIsLeftAloneWithoutBeingOpened) {
    test::trashItem(trash_, "item", true);
    test::makeDirs(trash_ + "/files/item/share");
    test::writeFile(trash_ + "/files/item/share/remote-file");
    EmptyOptions options;
    options.fencedMountPoints = {trash_ + "/files/item/share"};
    RemoveLog log;
    EXPECT_FALSE(test::emptyTrashAt(trash_, &log, options));
    EXPECT_TRUE(test::exists(trash_ + "/files/item/share/remote-file"));
    EXPECT_FALSE(test::exists(trash_ + "/files/item/inner"));
    EXPECT_TRUE(test::exists(trash_ + "/info/item.trashinfo"));
    ASSERT_EQ(log.count(), 1u);
    EXPECT_NE(log.lines()[0].find("mount point"), std::string::npos);
}

}  // namespace
}  // namespace tw::linux_platform
