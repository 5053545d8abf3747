// The journal's file on disk: bounded by a rotation that never loses a block, and failures
// that say why and leave the file as it was.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include "platform/shared/journal_file.h"
#include "trash_test_support.h"

namespace tw {
namespace {

using test::readFile;

TEST(JournalFile, RotatesAtTheBoundKeepingExactlyOneOldFileAndTheBlockBeingWritten) {
    test::TempDir dir;
    const std::string folder = dir / "state/tidewell";  // made as needed
    const std::string file = folder + "/journal.log";
    JournalFile journal(file, 100);
    const auto block = [](char c) { return std::string(39, c) + "\n"; };
    for (char c : {'a', 'b', 'c'}) ASSERT_EQ(journal.append(block(c)), "");
    EXPECT_EQ(readFile(file + ".1"), block('a') + block('b'));
    EXPECT_EQ(readFile(file), block('c'));
    for (char c : {'d', 'e'}) ASSERT_EQ(journal.append(block(c)), "");
    EXPECT_EQ(readFile(file + ".1"), block('c') + block('d')) << "the older file replaced";
    EXPECT_EQ(readFile(file), block('e'));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);

    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "it names what the user deleted";
}

TEST(JournalFile, AJournalThatCanNotBeWrittenSaysWhyAndLeavesNoHalfBlock) {
    test::TempDir dir;
    test::makeDirs(dir / "taken/journal.log");
    const std::string folderInTheWay = JournalFile(dir / "taken/journal.log").append("x\n");
    EXPECT_NE(folderInTheWay.find("journal.log"), std::string::npos) << folderInTheWay;

    // Root ignores permission bits: an ordinary user meets them.
    test::makeDirs(dir / "locked", 0555);
    EXPECT_EQ(test::runAs(test::kNobody, test::kNobody,
                          [&] {
                              const std::string why =
                                  JournalFile(dir / "locked/tidewell/journal.log").append("x\n");
                              return why.find("Permission denied") != std::string::npos ? 0 : 1;
                          }),
              0);

    // A write cut short, as by a full disk: the part that went is taken back, so the next
    // block does not continue a broken line.
    const std::string file = dir / "short/journal.log";
    JournalFile journal(file);
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

}  // namespace
}  // namespace tw
