// The journal's file on disk: bounded by a rotation that never loses a block, failures that say
// why and leave the file as it was, and nothing at its paths but a file of ours ever written.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "emptying/journal_entry.h"
#include "platform/linux/own_file.h"
#include "platform/shared/journal_file.h"
#include "trash_test_support.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using test::readFile;

linux_platform::LinuxOwnFiles ownFiles;

TEST(JournalFile, RotatesAtTheBoundKeepingExactlyOneOldFileAndTheBlockBeingWritten) {
    test::TempDir dir;
    const std::string folder = dir / "state/tidewell";  // made as needed
    const std::string file = folder + "/journal.log";
    JournalFile journal(file, ownFiles, 100);
    const auto block = [](char c) { return std::string(39, c) + "\n"; };
    for (char c : {'a', 'b', 'c'}) ASSERT_EQ(journal.append(block(c)), "");
    EXPECT_EQ(readFile(file + ".1"), block('a') + block('b'));
    EXPECT_EQ(readFile(file), block('c'));
    for (char c : {'d', 'e'}) ASSERT_EQ(journal.append(block(c)), "");
    EXPECT_EQ(readFile(file + ".1"), block('c') + block('d')) << "the older file replaced";
    EXPECT_EQ(readFile(file), block('e'));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 2);

    // The last block is replaced while it ends the file, and only then.
    ASSERT_EQ(journal.replaceLast(block('f')), "");
    EXPECT_EQ(readFile(file), block('f'));
    test::writeFile(file, block('f') + "x\n");  // another writer's
    ASSERT_EQ(journal.replaceLast(block('g')), "");
    EXPECT_EQ(readFile(file), block('f') + "x\n" + block('g'));

    // It names what the user deleted: theirs to read, nobody else's, however it was made.
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    ASSERT_EQ(journal.append("h\n"), "");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// Whatever the names, the journal's two files keep within about twice the bound: the names and
// errors of a block stop at a ceiling, and its counts and its end still come.
TEST(JournalFile, EmptiesOfLongNamesKeepBothFilesWithinTheirBound) {
    test::TempDir dir;
    EmptyPlace place;
    place.place = "/home/ann/.local/share/Trash";
    place.removed = place.kept[std::size_t(KeptReason::NotRemoved)] = EmptyReport::kMaxNamed;
    for (std::size_t i = 0; i < EmptyReport::kMaxNamed; ++i) {
        const std::string name = "/home/ann/" + std::to_string(i) + std::string(4096, '\xff');
        place.name(place.removedItems, name, KeptReason::NotRemoved);
        place.name(place.keptItems, name, KeptReason::NotRemoved);
        place.addError(name);
    }
    const std::string block = JournalEntry({2026, 12, 7, 22, 0, 0}, EmptyCause::Asked, {},
                                           {.places = {place}}, {true, {}});
    for (const char* count : {"more removed", "more kept", "more error"}) {
        EXPECT_NE(block.find(count), std::string::npos) << count;
    }
    EXPECT_TRUE(block.ends_with(" done\n\n"));
    JournalFile journal(dir / "journal.log", ownFiles);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(journal.append(block), "");
    EXPECT_LE(fs::file_size(dir / "journal.log") + fs::file_size(dir / "journal.log.1"),
              2 * JournalFile::kBound);
}

TEST(JournalFile, AJournalThatCanNotBeWrittenSaysWhyAndLeavesNoHalfBlock) {
    test::TempDir dir;
    // Root ignores permission bits: an ordinary user meets them.
    test::makeDirs(dir / "locked", 0555);
    EXPECT_EQ(test::runAs(
                  test::kNobody, test::kNobody,
                  [&] {
                      const std::string why =
                          JournalFile(dir / "locked/tidewell/journal.log", ownFiles).append("x\n");
                      return why.find("Permission denied") != std::string::npos ? 0 : 1;
                  }),
              0);

    // A write cut short, as by a full disk: the part that went is taken back, so the next
    // block does not continue a broken line.
    const std::string file = dir / "short/journal.log";
    JournalFile journal(file, ownFiles);
    ASSERT_EQ(journal.append("first\n"), "");
    EXPECT_EQ(test::runInChild([&] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{10, 10};
                  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
                  return journal.append(std::string(100, 'x') + "\n").empty() ? 1 : 0;
              }),
              0);
    EXPECT_EQ(readFile(file), "first\n");
}

// What another program put at the journal's path, or where its rotation goes, is not the
// journal: it is left as it was, and so is every file it leads to, and nothing waits on it.
TEST(JournalFile, WhatIsNotOursAtEitherPathIsLeftAloneAndSaidWhy) {
    struct Case {
        const char* what;
        std::function<void(const std::string& at, const std::string& victim)> make;
    };
    const std::vector<Case> cases{
        {"a link",
         [](auto& at, auto& victim) { ASSERT_EQ(symlink(victim.c_str(), at.c_str()), 0); }},
        {"a dangling link",
         [](auto& at, auto& victim) {
             ASSERT_EQ(symlink((victim + ".new").c_str(), at.c_str()), 0);
         }},
        {"a hard link",
         [](auto& at, auto& victim) { ASSERT_EQ(link(victim.c_str(), at.c_str()), 0); }},
        {"a FIFO", [](auto& at, auto&) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); }},
        {"a folder", [](auto& at, auto&) { test::makeDirs(at); }},
        {"another user's file",
         [](auto& at, auto&) {
             test::writeFile(at, "theirs\n");
             ASSERT_EQ(chown(at.c_str(), test::kNobody, test::kNobody), 0);
         }},
    };
    for (const bool atOldFile : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (atOldFile ? " at journal.log.1" : ""));
            test::TempDir dir;
            const std::string file = dir / "journal.log";
            const std::string victim = dir / "notes.txt";
            test::writeFile(victim, "todo\n");
            if (atOldFile) test::writeFile(file, std::string(90, 'j') + "\n");
            const std::string taken = atOldFile ? file + ".1" : file;
            c.make(taken, victim);
            struct stat before {};
            ASSERT_EQ(lstat(taken.c_str(), &before), 0);

            // In a child, which the alarm ends should the FIFO's opening wait.
            EXPECT_EQ(test::runInChild([&] {
                          alarm(20);
                          JournalFile journal(file, ownFiles, 100);
                          const std::string why = journal.append(std::string(39, 'b') + "\n");
                          // Unable to rotate, it grows to twice its bound and no further.
                          for (int i = 0; i < 4; ++i) journal.append(std::string(39, 'c') + "\n");
                          return why.find(taken) != std::string::npos &&
                                         why.find("left alone") != std::string::npos &&
                                         (!atOldFile || fs::file_size(file) <= 200)
                                     ? 0
                                     : 1;
                      }),
                      0);
            EXPECT_EQ(readFile(victim), "todo\n");
            EXPECT_FALSE(fs::exists(victim + ".new"));
            struct stat after {};
            ASSERT_EQ(lstat(taken.c_str(), &after), 0);
            EXPECT_EQ(after.st_ino, before.st_ino);
            EXPECT_EQ(after.st_size, before.st_size);
            EXPECT_EQ(after.st_mode, before.st_mode);
        }
    }
}

}  // namespace
}  // namespace tw
