// The program's files (its own path, listings, times, the pointer file), and times written in
// a locale's format and read back.

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/cursor_file.h"
#include "platform/win32/win32_cursor.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_locale.h"
#include "runtime/errors.h"

namespace tw::win32_platform {
namespace {

void touch(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

TEST(Win32Files, FindsTheProgramAndListsOnlyOrdinaryFiles) {
    Win32Files files;
    const std::string exe = files.ownExecutablePath();
    const std::string folder = files.programFolder();
    const std::string name = exe.substr(exe.find_last_of('\\') + 1);
    EXPECT_EQ(folder + "\\" + name, exe);
    EXPECT_EQ(GetFileAttributesA(exe.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

    const std::string dir = "C:\\tidewell-list";
    CreateDirectoryA(dir.c_str(), nullptr);
    touch(dir + "\\b.exe");
    touch(dir + "\\hidden.exe", FILE_ATTRIBUTE_HIDDEN);
    touch(dir + "\\notes.txt");
    CreateDirectoryA((dir + "\\folder.exe").c_str(), nullptr);
    std::vector<std::string> listed = files.listFiles(dir, "*.exe");
    EXPECT_EQ(listed, std::vector<std::string>{"b.exe"});
    EXPECT_EQ(files.listFiles(dir, "*.cjs"), std::vector<std::string>{});
    EXPECT_EQ(files.listFiles("C:\\no such folder", "*.exe"), std::vector<std::string>{});
}

TEST(Win32Files, ModificationTimesReachBeyond2038) {
    // The toolchain's time_t ends in January 2038; the program's files may be newer.
    Win32Files files;
    const std::string path = "C:\\tidewell-time.txt";
    touch(path);
    SYSTEMTIME utc{};
    utc.wYear = 2040;
    utc.wMonth = 1;
    utc.wDay = 1;
    FILETIME when{};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &when));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &when));
    CloseHandle(file);
    EXPECT_EQ(files.modificationTime(path), 2208988800LL);  // 2040-01-01T00:00:00Z
    EXPECT_EQ(files.modificationTime("C:\\no such file.txt"), std::nullopt);
    // A name with wildcards is a name, not a pattern that finds the file above.
    EXPECT_EQ(files.modificationTime("C:\\tidewell-time.*"), std::nullopt);
}

void writeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

TEST(Win32CursorLoader, LoadsThePointerWithItsHotSpotAndRefusesOtherFiles) {
    writeFile("C:\\HAND-M.CUR", test::cursorFileBytes(5, 7));
    writeFile("C:\\NOT-A.CUR", "plain text, not a picture");
    Win32CursorLoader cursors;
    cursors.loadCursor("C:\\HAND-M.CUR");
    ASSERT_NE(cursors.cursor(), nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursors.cursor(), &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 7u);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);

    const HCURSOR loaded = cursors.cursor();
    EXPECT_THROW(cursors.loadCursor("C:\\NOT-A.CUR"), AppError);
    EXPECT_THROW(cursors.loadCursor("C:\\no such file.cur"), AppError);
    EXPECT_EQ(cursors.cursor(), loaded);
}

TEST(Win32Locale, EveryTimeOfDayReadsBackAsWrittenInSeveralLocales) {
    const LCID locales[] = {MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT),
                            MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT),
                            MAKELCID(MAKELANGID(LANG_FINNISH, SUBLANG_DEFAULT), SORT_DEFAULT),
                            MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), SORT_DEFAULT),
                            LOCALE_USER_DEFAULT};
    for (LCID lcid : locales) {
        const Win32Locale locale(lcid);
        for (int hour = 0; hour < 24; ++hour) {
            const TimeOfDay time{hour, 5, 9};
            const std::string text = locale.formatTime(time);
            EXPECT_EQ(locale.parseDateTime(text), (DateValue{std::nullopt, time}))
                << std::hex << lcid << ": " << text << " (" << locale.timePicture() << ")";
        }
        const CivilDate date{2027, 2, 28};
        const std::string text = locale.formatDate(date) + " " + locale.formatTime({22, 0, 0});
        EXPECT_EQ(locale.parseDateTime(text), (DateValue{date, TimeOfDay{22, 0, 0}}))
            << std::hex << lcid << ": " << text;
        EXPECT_EQ(locale.parseDateTime(locale.formatDate(date)), (DateValue{date, std::nullopt}))
            << std::hex << lcid << ": " << locale.formatDate(date);
    }
}

TEST(Win32Locale, ReadsTimesStoredUnderAnotherLocaleOrWithoutSeconds) {
    const Win32Locale us(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
    const Win32Locale de(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    EXPECT_EQ(us.formatTime({22, 5, 9}), "10:05:09 PM");
    EXPECT_EQ(de.formatTime({22, 5, 9}), "22:05:09");
    EXPECT_EQ(us.parseDateTime("22:05:09"), (DateValue{std::nullopt, TimeOfDay{22, 5, 9}}));
    EXPECT_EQ(de.parseDateTime("10:05:09 PM"), (DateValue{std::nullopt, TimeOfDay{22, 5, 9}}));
    EXPECT_EQ(de.parseDateTime("12:00:00 AM"), (DateValue{std::nullopt, TimeOfDay{0, 0, 0}}));
    EXPECT_EQ(de.parseDateTime("22:05"), (DateValue{std::nullopt, TimeOfDay{22, 5, 0}}));
    EXPECT_EQ(us.parseDateTime("teatime"), std::nullopt);
    EXPECT_EQ(us.parseDateTime("25:00:00"), std::nullopt);
    EXPECT_EQ(us.parseDateTime("13:00:00 PM"), std::nullopt);
    EXPECT_EQ(de.parseDateTime("30.02.2027"), std::nullopt);
    EXPECT_EQ(de.decimalSeparator(), ",");
}

}  // namespace
}  // namespace tw::win32_platform
