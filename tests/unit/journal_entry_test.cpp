// The journal's block for one empty: the facts of a made-up report, and names that try to
// forge lines of their own.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "emptying/journal_entry.h"

namespace tw {
namespace {

const LocalDateTime kBegan{2026, 12, 7, 22, 0, 0};  // a Monday

// The lines of a block, without the blank one that ends it.
std::vector<std::string> lines(const std::string& block) {
    std::vector<std::string> out;
    std::istringstream in(block);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) out.push_back(line);
    }
    return out;
}

// The one line that names `what`.
std::string lineOf(const std::string& block, const std::string& what) {
    std::string found;
    for (const std::string& line : lines(block)) {
        if (line.find(what) == std::string::npos) continue;
        EXPECT_TRUE(found.empty()) << what << " is named twice";
        found = line;
    }
    EXPECT_FALSE(found.empty()) << what << " is not named";
    return found;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(JournalEntry, AScheduledEmptyTellsWhenTheFloorAndWhatWentAndStayedInEachPlace) {
    EmptyPlace home;
    home.place = "/home/ann/.local/share/Trash";
    home.removed = 1502;
    home.bytesFreed = 3'412'345;
    home.foldersUncounted = 2;
    home.kept = {2, 1, 0, 1};
    home.removedItems = {{"/home/ann/report.odt"}};
    home.keptItems = {{"/home/ann/notes.txt", KeptReason::TooRecent},
                      {"/home/ann/locked", KeptReason::NotRemoved}};
    EmptyPlace usb;
    usb.place = "/media/usb/.Trash-1000";
    usb.error = "the deletion dates can't be read: Permission denied";
    const std::string block = JournalEntry(kBegan, EmptyCause::Scheduled, {30 * 86400},
                                           {.places = {home, usb}}, {false, "some items stayed."});

    const std::vector<std::string> all = lines(block);
    ASSERT_FALSE(all.empty());
    for (const std::string& line : all) EXPECT_TRUE(line.starts_with("2026-12-07T22:00:00"));
    EXPECT_TRUE(has(all[0], "scheduled") && has(all[0], "Monday 7 December 2026"));
    EXPECT_TRUE(has(all[0], "30 days"));

    const std::string counts = lineOf(block, "1502");
    EXPECT_TRUE(has(counts, home.place) && has(counts, "3412345") && has(counts, "3.4 MB"));
    EXPECT_TRUE(has(counts, "2 folders")) << "freed space is not claimed whole";
    EXPECT_TRUE(has(counts, "2 too recent") && has(counts, "1 arrived during the empty") &&
                has(counts, "1 could not be removed"));
    EXPECT_TRUE(has(lineOf(block, "notes.txt"), "too recent"));
    EXPECT_TRUE(has(lineOf(block, "locked"), "could not be removed"));
    EXPECT_TRUE(has(lineOf(block, "report.odt"), "removed"));
    EXPECT_TRUE(has(lineOf(block, "1501"), "more")) << "removed beyond the named one";
    EXPECT_TRUE(has(lineOf(block, " 2 more"), "kept")) << "kept beyond the named two";
    EXPECT_TRUE(has(lineOf(block, usb.error), usb.place));
    EXPECT_TRUE(has(all.back(), "failed") && has(all.back(), "some items stayed."));
    EXPECT_TRUE(block.ends_with("\n\n")) << "a blank line between blocks";
}

TEST(JournalEntry, AnAskedEmptyWithoutAFloorOrAnythingInTheBins) {
    const std::string block =
        JournalEntry(kBegan, EmptyCause::Asked, {}, {}, {.done = true, .failure = {}});
    const std::vector<std::string> all = lines(block);
    EXPECT_TRUE(has(all[0], "asked") && has(all[0], "none") && !has(all[0], " day"));
    EXPECT_TRUE(has(block, "nothing was in the bins"));
    EXPECT_FALSE(has(block, "failed"));

    const std::string halfDay = JournalEntry(kBegan, EmptyCause::Scheduled, {43200}, {}, {});
    EXPECT_TRUE(has(lines(halfDay)[0], "0.5 days"));
}

// Names are bytes: a newline, a carriage return or an escape sequence in one must stay inside
// its own line, or a hostile name could write entries of its own into the journal.
TEST(JournalEntry, ANameCanNotForgeALine) {
    const auto blockNaming = [](const std::string& name) {
        EmptyPlace place;
        place.place = "/home/ann/.local/share/Trash";
        place.removed = 1;
        place.kept = {1, 0, 0, 0};
        place.removedItems = {{name}};
        place.keptItems = {{name, KeptReason::TooRecent}};
        return JournalEntry(kBegan, EmptyCause::Asked, {}, {.places = {place}}, {true, {}});
    };
    const std::string hostile =
        blockNaming("/tmp/x\n2026-12-07T22:00:00   removed /etc/passwd\r\x1b[2K\xff done");
    const std::string plain = blockNaming("/tmp/x");
    EXPECT_EQ(lines(hostile).size(), lines(plain).size());
    EXPECT_TRUE(std::all_of(hostile.begin(), hostile.end(), [](char c) {
        return c == '\n' || (c >= 0x20 && c != 0x7F && c != '\xff');
    }));
}

}  // namespace
}  // namespace tw
