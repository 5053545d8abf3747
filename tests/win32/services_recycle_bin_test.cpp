// The Recycle Bin of the Wine prefix (the Linux user's Trash under $XDG_DATA_HOME): a file
// deleted to the bin as Explorer does it, counted by the shell query and emptied by the
// program's own drive walk, while a file outside the bin stays.

#include <gtest/gtest.h>

#include <string>

#include "emptying/mod_clean_up.h"
#include "fakes/empty_keeping_nothing.h"
#include "platform/win32/win32_recycle_bin.h"
#include "services_test_window.h"

#include <shellapi.h>

namespace tw::win32_platform {
namespace {

bool writeFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return written == text.size();
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void deleteToBin(const std::string& path) {
    const std::string from = path + std::string(1, '\0');  // the list ends with two NULs
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(SHFileOperationA(&op), 0) << path;
    ASSERT_FALSE(op.fAnyOperationsAborted);
}

std::int64_t itemsOn(Win32RecycleBinShell& shell, const std::string& root) {
    RecycleBinQuery query{};
    query.cbSize = sizeof query;
    EXPECT_EQ(shell.queryRecycleBin(root, query), kShellOk);
    return (std::int64_t(query.itemsHigh) << 32) | std::uint32_t(query.itemsLow);
}

TEST(Win32RecycleBin, AFileDeletedToTheBinIsCountedAndGoneAfterTheEmpty) {
    CreateDirectoryA("C:\\tidewell-test", nullptr);
    const std::string trashed = "C:\\tidewell-test\\old report.txt";
    const std::string kept = "C:\\tidewell-test\\keep me.txt";
    ASSERT_TRUE(writeFile(trashed, "old"));
    ASSERT_TRUE(writeFile(kept, "new"));

    win32_test::TestWindow main("Tidewell main");
    Win32WindowTable windows;
    windows.bind(1, main.hwnd());
    Win32RecycleBinShell shell(windows);

    char drives[260] = {};
    const std::uint32_t n = shell.getLogicalDriveStrings(sizeof drives, drives);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, sizeof drives);
    EXPECT_NE(std::string(drives, n).find(std::string("C:\\\0", 4)), std::string::npos);
    EXPECT_EQ(shell.getDriveType("C:\\"), DriveType::Fixed);
    const std::int64_t before = itemsOn(shell, "C:\\");

    deleteToBin(trashed);
    EXPECT_FALSE(exists(trashed));
    EXPECT_EQ(itemsOn(shell, "C:\\"), before + 1);

    // The program's drive walk: finds the item on a fixed drive and empties every bin.
    EXPECT_TRUE(modCleanUp::detail::EmptyDriveBins(shell, 1));
    EXPECT_EQ(itemsOn(shell, "C:\\"), 0);
    EXPECT_TRUE(exists(kept));

    // An empty bin: nothing to do, and that is no failure.
    EXPECT_TRUE(modCleanUp::detail::EmptyDriveBins(shell, 1));
    EXPECT_TRUE(exists(kept));
}

// A shell whose empty says it succeeded, and whose count afterwards is set by the test.
HRESULT countResult = S_OK;
LONGLONG itemsCounted = 0;
HRESULT WINAPI emptySaysDone(HWND, LPCSTR, DWORD) {
    return S_OK;
}
HRESULT WINAPI countAsSet(LPCSTR, SHQUERYRBINFO* info) {
    info->i64NumItems = itemsCounted;
    return countResult;
}

TEST(Win32RecycleBin, AnEmptyIsDoneOnlyWhenTheBinsCountNothingAfterIt) {
    Win32WindowTable windows;
    Win32RecycleBinShell shell(windows, {&emptySaysDone, &countAsSet});
    // Items left behind (a folder the shell did not take) are a failure, whatever it said.
    countResult = S_OK;
    itemsCounted = 2;
    EXPECT_EQ(test::emptyKeepingNothing(shell, 1, nullptr, 7), kShellFail);
    // So is a bin that can't be counted any more.
    countResult = E_FAIL;
    itemsCounted = 0;
    EXPECT_EQ(test::emptyKeepingNothing(shell, 1, nullptr, 7), kShellFail);
    countResult = S_OK;
    EXPECT_EQ(test::emptyKeepingNothing(shell, 1, nullptr, 7), kShellOk);
}

}  // namespace
}  // namespace tw::win32_platform
