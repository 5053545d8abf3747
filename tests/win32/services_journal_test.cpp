// The journal on Windows: its file lies under the user's local application data, wide paths
// throughout, and a rotation replaces the old file, which a plain rename there refuses.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/shared/journal_file.h"
#include "platform/win32/win32_journal_location.h"

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

    JournalFile journal(file, 64);
    const auto block = [](char c) { return std::string(39, c) + "\n"; };
    for (char c : {'a', 'b', 'c'}) ASSERT_EQ(journal.append(block(c)), "");
    EXPECT_EQ(contents(file), block('c'));
    EXPECT_EQ(contents(journal.oldFile()), block('b'));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 2);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace tw
