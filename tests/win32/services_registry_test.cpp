// The settings store and the Run entry against the registry of the Wine prefix, read back
// with the registry calls themselves.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_settings_store.h"
#include "platform/win32/win32_start_at_login.h"

namespace tw::win32_platform {
namespace {

constexpr const char* kRunKey = Win32StartAtLogin::kRunKey;

// The value as the registry holds it, in UTF-16 so that the code page is checked as well;
// nothing when it is missing.
std::optional<std::wstring> registryText(HKEY root, const std::string& key, const std::string& name,
                                         DWORD* typeOut = nullptr) {
    HKEY hkey = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &hkey) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<wchar_t> data(512);
    DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    DWORD type = 0;
    const std::wstring wideName(name.begin(), name.end());
    const LONG status = RegQueryValueExW(hkey, wideName.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(hkey);
    if (status != ERROR_SUCCESS) return std::nullopt;
    if (typeOut) *typeOut = type;
    return std::wstring(data.data());
}

// The raw bytes of a value through the ANSI call, as the program's own reads see them.
std::optional<std::string> registryBytes(HKEY root, const std::string& key,
                                         const std::string& name) {
    HKEY hkey = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &hkey) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    char data[512] = {};
    DWORD size = sizeof data;
    const LONG status = RegQueryValueExA(hkey, name.c_str(), nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(hkey);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return std::string(data, size);
}

void setValue(HKEY root, const std::string& key, const std::string& name, const std::string& data) {
    HKEY hkey = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hkey, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(setStringValue(hkey, name, data), ERROR_SUCCESS);
    RegCloseKey(hkey);
}

// A section of its own: the program's "Tidewell" section may be read by a later test run of
// the program in the same prefix.
TEST(Win32SettingsStore, LandsUnderTheApplicationsKeyAsAnsiText) {
    std::vector<std::string> told;
    Win32SettingsStore store([&](const std::string& m) { told.push_back(m); });
    store.write("Quendra", "Tidewell Test", "Weekly",
                "Gr\xC3\xBC\xC3\x9F"
                "e");  // "Grüße"
    store.write("Quendra", "Tidewell Test", "Text11", "");

    DWORD type = 0;
    EXPECT_EQ(registryText(HKEY_CURRENT_USER, "Software\\Quendra\\Tidewell Test", "Weekly", &type),
              std::wstring(L"Gr\u00FC\u00DFe"));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    // Stored with its terminating NUL, as REG_SZ readers expect.
    EXPECT_EQ(registryBytes(HKEY_CURRENT_USER, "Software\\Quendra\\Tidewell Test", "Text11"),
              std::string(1, '\0'));

    EXPECT_EQ(store.read("Quendra", "Tidewell Test", "Weekly"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(store.read("Quendra", "Tidewell Test", "Text11"), "");
    EXPECT_EQ(store.read("Quendra", "Tidewell Test", "Never written"), std::nullopt);
    EXPECT_EQ(store.read("Quendra", "No such section", "Weekly"), std::nullopt);
    EXPECT_TRUE(told.empty());
}

TEST(Win32SettingsStore, ReadsHandEditedValuesSafely) {
    Win32SettingsStore store([](const std::string&) {});
    const std::string key = "Software\\Quendra\\HandEdited";
    HKEY hkey = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &hkey, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 7;
    RegSetValueExA(hkey, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    // Written without its NUL, and longer than a first guess at the size.
    const std::string longText(700, 'x');
    RegSetValueExA(hkey, "NoTerminator", 0, REG_SZ, reinterpret_cast<const BYTE*>(longText.data()),
                   static_cast<DWORD>(longText.size()));
    RegCloseKey(hkey);

    EXPECT_EQ(store.read("Quendra", "HandEdited", "Number"), std::nullopt);
    EXPECT_EQ(store.read("Quendra", "HandEdited", "NoTerminator"), longText);
}

TEST(Win32SettingsStore, AFailedWriteIsReportedOnceAndKeepsTheStoredValue) {
    setValue(HKEY_CURRENT_USER, "Software\\Quendra\\Locked", "Weekly", "Monday");
    // A root this program may only read: every write under it is refused.
    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quendra\\Locked", 0, KEY_READ, &readOnly),
              ERROR_SUCCESS);
    std::vector<std::string> told;
    {
        Win32SettingsStore store([&](const std::string& m) { told.push_back(m); }, readOnly, "");
        store.write("", "", "Weekly", "Friday");
        store.write("", "", "Text11", "3");
    }
    RegCloseKey(readOnly);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("\"Weekly\""), std::string::npos) << told[0];
    EXPECT_EQ(registryText(HKEY_CURRENT_USER, "Software\\Quendra\\Locked", "Weekly"),
              std::wstring(L"Monday"));
}

// Denies what a standard user is denied: writing under HKEY_LOCAL_MACHINE. Reading stays.
LONG standardUser(HKEY root, const char* subKey, REGSAM access, bool create, HKEY* key) {
    if (root == HKEY_LOCAL_MACHINE && (access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (!create) return RegOpenKeyExA(root, subKey, 0, access, key);
    return RegCreateKeyExA(root, subKey, 0, nullptr, 0, access, nullptr, key, nullptr);
}

LONG nobody(HKEY, const char*, REGSAM, bool, HKEY*) {
    return ERROR_ACCESS_DENIED;
}

TEST(Win32StartAtLogin, WritesTheMachineWideValueAndDeletesItAgain) {
    Win32StartAtLogin entry;
    std::string error;
    ASSERT_TRUE(entry.add("App.exe", "C:\\Apps\\App.exe", error)) << error;
    EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, kRunKey, "App.exe"),
              std::wstring(L"C:\\Apps\\App.exe"));
    EXPECT_EQ(registryText(HKEY_CURRENT_USER, kRunKey, "App.exe"), std::nullopt);
    EXPECT_TRUE(entry.isRegistered("App.exe"));

    ASSERT_TRUE(entry.remove("App.exe", error)) << error;
    EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, kRunKey, "App.exe"), std::nullopt);
    EXPECT_FALSE(entry.isRegistered("App.exe"));
    // Removing what is not there is no failure.
    EXPECT_TRUE(entry.remove("App.exe", error)) << error;
}

TEST(Win32StartAtLogin, AStandardUserGetsTheValueUnderTheirOwnRunKey) {
    // A new user's profile, without a Run key of its own yet.
    RegDeleteKeyA(HKEY_CURRENT_USER, kRunKey);
    Win32StartAtLogin entry(&standardUser);
    std::string error;
    ASSERT_TRUE(
        entry.add("TidewellTest.exe", "C:\\Program Files\\Tidewell\\TidewellTest.exe", error))
        << error;
    EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, kRunKey, "TidewellTest.exe"), std::nullopt);
    // Quoted: unquoted, the system would first try to start "C:\Program".
    EXPECT_EQ(registryText(HKEY_CURRENT_USER, kRunKey, "TidewellTest.exe"),
              std::wstring(L"\"C:\\Program Files\\Tidewell\\TidewellTest.exe\""));
    EXPECT_EQ(entry.registeredProgram("TidewellTest.exe"),
              "C:\\Program Files\\Tidewell\\TidewellTest.exe")
        << "the program, without the quotes";

    ASSERT_TRUE(entry.remove("TidewellTest.exe", error)) << error;
    EXPECT_EQ(registryText(HKEY_CURRENT_USER, kRunKey, "TidewellTest.exe"), std::nullopt);
    EXPECT_FALSE(entry.isRegistered("TidewellTest.exe"));
}

TEST(Win32StartAtLogin, UntickingRemovesTheValueFromBothKeys) {
    setValue(HKEY_LOCAL_MACHINE, kRunKey, "Both.exe", "C:\\Both.exe");
    setValue(HKEY_CURRENT_USER, kRunKey, "Both.exe", "C:\\Both.exe");
    Win32StartAtLogin entry;
    std::string error;
    ASSERT_TRUE(entry.remove("Both.exe", error)) << error;
    EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, kRunKey, "Both.exe"), std::nullopt);
    EXPECT_EQ(registryText(HKEY_CURRENT_USER, kRunKey, "Both.exe"), std::nullopt);

    // Of two values, the one that starts a program still there tells what starts.
    char self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    setValue(HKEY_LOCAL_MACHINE, kRunKey, "Both.exe", "C:\\Gone\\Both.exe");
    setValue(HKEY_CURRENT_USER, kRunKey, "Both.exe", self);
    EXPECT_EQ(entry.registeredProgram("Both.exe"), std::string(self));
    ASSERT_TRUE(entry.remove("Both.exe", error)) << error;

    // Writing machine-wide takes away a copy a standard user's run left: it would start twice.
    setValue(HKEY_CURRENT_USER, kRunKey, "Both.exe", "C:\\Both.exe");
    ASSERT_TRUE(entry.add("Both.exe", "C:\\Both.exe", error)) << error;
    EXPECT_EQ(registryText(HKEY_CURRENT_USER, kRunKey, "Both.exe"), std::nullopt);
    ASSERT_TRUE(entry.remove("Both.exe", error)) << error;
}

TEST(Win32StartAtLogin, FailuresAreReportedOnlyWhenTheValueCannotBeWrittenOrStays) {
    std::string error;
    Win32StartAtLogin locked(&nobody);
    EXPECT_FALSE(locked.add("Locked.exe", "C:\\Locked.exe", error));
    EXPECT_NE(error.find("HKEY_LOCAL_MACHINE"), std::string::npos) << error;
    EXPECT_NE(error.find("HKEY_CURRENT_USER"), std::string::npos) << error;
    EXPECT_FALSE(locked.isRegistered("Locked.exe"));

    // A folder name this machine's code page can't spell would be written as '?'.
    if (GetACP() != 1251 && GetACP() != CP_UTF8) {
        Win32StartAtLogin entry;
        error.clear();
        EXPECT_FALSE(entry.add("Cyr.exe", "C:\\\xD0\x94\xD0\xB8\xD0\xBC\xD0\xB0\\Cyr.exe", error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(entry.isRegistered("Cyr.exe"));
    }

    // An administrator registered the program for everyone: a standard user can't take it out,
    // and must be told rather than see the box unticked while it still starts.
    setValue(HKEY_LOCAL_MACHINE, kRunKey, "Admin.exe", "C:\\Admin.exe");
    Win32StartAtLogin user(&standardUser);
    error.clear();
    EXPECT_FALSE(user.remove("Admin.exe", error));
    EXPECT_NE(error.find("HKEY_LOCAL_MACHINE"), std::string::npos) << error;
    EXPECT_TRUE(user.isRegistered("Admin.exe"));
    Win32StartAtLogin admin;
    EXPECT_TRUE(admin.remove("Admin.exe", error)) << error;
}

}  // namespace
}  // namespace tw::win32_platform
