// The journal on Windows: its file lies under the user's local application data, wide paths
// throughout, and a rotation replaces the old file, which a plain rename there refuses.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "emptying/journal_entry.h"
#include "platform/shared/journal_file.h"
#include "platform/win32/win32_journal_location.h"
#include "platform/win32/win32_own_file.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Win32Journal, IsWrittenUnderLocalAppDataAndRotatesOverTheOldFile) {
    const wchar_t* localAppData = _wgetenv(L"LOCALAPPDATA");
    ASSERT_NE(localAppData, nullptr);
    const fs::path file = win32_platform::JournalLocation();
    const fs::path folder = fs::path(localAppData) / "Quendra" / "Tidewell";
    ASSERT_EQ(file.parent_path(), folder);
    fs::remove_all(folder);

    win32_platform::Win32OwnFiles ownFiles;
    JournalFile journal(file, ownFiles, 64);
    const auto block = [](char c) { return std::string(39, c) + "\n"; };
    for (char c : {'a', 'b', 'c'}) ASSERT_EQ(journal.append(block(c)), "");
    EXPECT_EQ(contents(file), block('c'));
    EXPECT_EQ(contents(journal.oldFile()), block('b'));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 2);

    // Paths read and search as Windows writes them.
    EmptyPlace place;
    place.place = "C:\\";
    place.removed = 1;
    place.name(place.removedItems, "C:\\Users\\ann\\report.odt", KeptReason::NotRemoved);
    ASSERT_EQ(journal.append(JournalEntry({2026, 12, 7, 22, 0, 0}, EmptyCause::Asked, {},
                                          {.places = {place}}, {true, {}})),
              "");
    EXPECT_NE(contents(file).find("removed C:\\Users\\ann\\report.odt\n"), std::string::npos)
        << contents(file);

    // A folder in the journal's place is not the journal: left alone, and said why.
    fs::remove_all(folder);
    fs::create_directories(file / "inside");
    const std::string why = JournalFile(file, ownFiles).append("x\n");
    EXPECT_NE(why.find("left alone"), std::string::npos) << why;
    EXPECT_TRUE(fs::is_directory(file / "inside"));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace tw
