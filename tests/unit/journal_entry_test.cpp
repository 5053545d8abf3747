// The journal's block for one empty: the facts of a made-up report, and names that try to
// forge lines of their own.

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "emptying/journal_entry.h"
#include "runtime/printable_text.h"

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
    home.kept[std::size_t(KeptReason::TooRecent)] = 700;
    home.kept[std::size_t(KeptReason::ArrivedDuringEmpty)] = 1;
    home.kept[std::size_t(KeptReason::PartlyRemoved)] = 1;
    home.kept[std::size_t(KeptReason::NotRemoved)] = 2;
    home.removedItems = {{"/home/ann/report.odt"}};
    home.keptItems = {{"/home/ann/notes.txt", KeptReason::TooRecent},
                      {"/home/ann/locked", KeptReason::NotRemoved},
                      {"/home/ann/photos", KeptReason::PartlyRemoved, 100, 1}};
    EmptyPlace usb;
    usb.place = "/media/usb/.Trash-1000";
    usb.addError("info/: Permission denied");
    usb.addError("expunged/: a mount point, left alone");
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
    EXPECT_TRUE(has(counts, "700 too recent") && has(counts, "1 arrived during the empty") &&
                has(counts, "2 could not be removed"));
    EXPECT_FALSE(has(block, "notes.txt")) << "too recent: counted, not named again every time";
    EXPECT_TRUE(has(lineOf(block, "locked"), "could not be removed"));
    EXPECT_TRUE(has(lineOf(block, "photos"), "partly removed: 100 entries, 1 left"));
    EXPECT_TRUE(has(lineOf(block, "report.odt"), "removed"));
    EXPECT_TRUE(has(lineOf(block, "1501"), "more")) << "removed beyond the named one";
    EXPECT_TRUE(has(lineOf(block, " 2 more"), "kept")) << "kept beyond the named two, not 702";
    for (const std::string& error : usb.errors) EXPECT_TRUE(has(lineOf(block, error), usb.place));
    EXPECT_TRUE(has(all.back(), "failed") && has(all.back(), "some items stayed."));
    EXPECT_TRUE(block.ends_with("\n\n")) << "a blank line between blocks";
}

// Each reason an item stays says something true of it, in words of its own.
TEST(JournalEntry, EveryReasonForKeepingIsToldApart) {
    std::set<std::string> said;
    for (std::size_t why = 0; why < kKeptReasons; ++why) {
        EmptyPlace place;
        place.place = "/t";
        place.kept[why] = 1;
        said.insert(
            lineOf(JournalEntry(kBegan, EmptyCause::Asked, {}, {.places = {place}}, {}), "kept 1"));
    }
    EXPECT_EQ(said.size(), kKeptReasons);
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

// Names are bytes: whatever one holds must stay inside its own line and show what it is, or a
// hostile name could write entries of its own into the journal or pass for another name; a
// Windows path still reads and searches as it is.
TEST(JournalEntry, ANameCanNotForgeALineNorPassForAnotherName) {
    const auto blockNaming = [](const std::string& name) {
        EmptyPlace place;
        place.place = "/home/ann/.local/share/Trash";
        place.removed = 1;
        place.kept[std::size_t(KeptReason::NotRemoved)] = 1;
        place.removedItems = {{name}};
        place.keptItems = {{name, KeptReason::NotRemoved}};
        return JournalEntry(kBegan, EmptyCause::Asked, {}, {.places = {place}}, {true, {}});
    };
    const std::string longName = "/home/ann/" + std::string(4096, 'a');
    struct Case {
        std::string name;
        std::string shown;  // as the journal shows it
    };
    const std::vector<Case> cases{
        {"/tmp/x\n2026-12-07T22:00:00   removed /etc/passwd", "/tmp/x\\x0A2026"},
        {"/tmp/\r\x1b[2K\x7f", "/tmp/\\x0D\\x1B[2K\\x7F"},
        {"C:\\Users\\ann\\a.txt", "C:\\Users\\ann\\a.txt"},
        {"/tmp/photo\u202egpj.exe", "/tmp/photo\\u202Egpj.exe"},
        {"/tmp/a\u200eb\u200fc\u202ad\u2066e\u2069", "a\\u200Eb\\u200Fc\\u202Ad\\u2066e\\u2069"},
        {"/tmp/nel\u0085csi\u009b", "nel\\u0085csi\\u009B"},
        {"/tmp/ls\u2028ps\u2029", "ls\\u2028ps\\u2029"},
        {"/tmp/caf\u00e9 \u00a0\u202f\u65e5", "/tmp/caf\u00e9 \u00a0\u202f\u65e5"},
        {"/tmp/\xff\xc0\x8a\xed\xa0\x80\xc3", "/tmp/\\xFF\\xC0\\x8A\\xED\\xA0\\x80\\xC3"},
        {longName, std::string(1000, 'a') + std::string(kCutMark)},
        {"/home/ann/" + std::string(1013, 'a') + "\u00e9\u00e9", "aa" + std::string(kCutMark)},
    };
    const std::size_t plain = lines(blockNaming("/tmp/x")).size();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 60));
        const std::string block = blockNaming(c.name);
        EXPECT_EQ(lines(block).size(), plain);
        EXPECT_TRUE(has(block, c.shown)) << block.substr(0, 300);
        for (const std::string& line : lines(block)) EXPECT_LE(line.size(), 1100u);
    }

    // However many long names an empty has, its block stays well inside the journal's 1 MB, so
    // that one empty never rotates the earlier ones away, and it still ends with its counts.
    EmptyPlace many;
    many.place = "/home/ann/.local/share/Trash";
    many.removed = 4321;
    many.removedItems.assign(1000, {longName});
    const std::string block =
        JournalEntry(kBegan, EmptyCause::Asked, {}, {.places = {many}}, {true, {}});
    EXPECT_LT(block.size(), 512u * 1024);
    EXPECT_TRUE(has(block, "4321"));
}

}  // namespace
}  // namespace tw
