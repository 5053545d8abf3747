// The Recycle Bin of the Wine prefix (the Linux user's Trash under $XDG_DATA_HOME): a file
// deleted to the bin as Explorer does it, counted by the shell query and emptied by the
// program's own drive walk, while a file outside the bin stays.
// Wine keeps no records of its own in a drive's `$Recycle.Bin`; the age floor is tried on
// records this file writes there, as Windows writes them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "emptying/mod_clean_up.h"
#include "fakes/empty_keeping_nothing.h"
#include "platform/win32/win32_bin_age_empty.h"
#include "platform/win32/win32_bin_records.h"
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
    EmptyReport report;
    std::string failure;
    EXPECT_TRUE(modCleanUp::detail::EmptyDriveBins(shell, 1, {}, report, failure)) << failure;
    EXPECT_EQ(itemsOn(shell, "C:\\"), 0);
    EXPECT_TRUE(exists(kept));
    ASSERT_FALSE(report.places.empty());
    EXPECT_EQ(report.places[0].place, "C:\\");
    EXPECT_EQ(report.places[0].removed, std::uint64_t(before + 1));
    // The shell tells by how much it counts the bin smaller, never what the disk got back.
    EXPECT_FALSE(report.places[0].freedKnown);
    EXPECT_GE(report.places[0].shellShrank, 3u);

    // An empty bin: nothing to do, and that is no failure.
    EXPECT_TRUE(modCleanUp::detail::EmptyDriveBins(shell, 1, {}, report, failure)) << failure;
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
    Win32RecycleBinShell shell(windows, {&emptySaysDone, &countAsSet, {}});
    // Each empty below is a drive walk of its own: the list of drives begins it.
    char drives[260];
    // Items left behind (a folder the shell did not take) are a failure, whatever it said.
    countResult = S_OK;
    itemsCounted = 2;
    shell.getLogicalDriveStrings(sizeof drives, drives);
    EXPECT_EQ(test::emptyKeepingNothing(shell, 1, nullptr, 7), kShellFail);
    // So is a bin that can't be counted any more.
    countResult = E_FAIL;
    itemsCounted = 0;
    shell.getLogicalDriveStrings(sizeof drives, drives);
    EXPECT_EQ(test::emptyKeepingNothing(shell, 1, nullptr, 7), kShellFail);
    countResult = S_OK;
    shell.getLogicalDriveStrings(sizeof drives, drives);
    EXPECT_EQ(test::emptyKeepingNothing(shell, 1, nullptr, 7), kShellOk);
}

// A drive's bin as Windows keeps it: a record `$I<id>` beside each payload `$R<id>`.
class SyntheticBin {
  public:
    explicit SyntheticBin(const std::string& root = "C:\\") : folder_(binFolderOf(root)) {
        CreateDirectoryW((std::wstring(root.begin(), root.end()) + L"$Recycle.Bin").c_str(),
                         nullptr);
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    ~SyntheticBin() {
        const std::wstring from = folder_ + L'\0';  // the list ends with two NULs
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
        SHFileOperationW(&op);
    }

    static std::uint64_t now() {
        FILETIME t;
        GetSystemTimeAsFileTime(&t);
        return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    }
    static std::uint64_t secondsBefore(std::int64_t seconds) {
        return now() - std::uint64_t(seconds) * 10'000'000;
    }

    // A record of either layout: version 1 holds the path in 260 characters, version 2 after
    // its character count. `cut` bytes are left off its end.
    void record(const std::wstring& id, int version, std::uint64_t deletedAt,
                const std::wstring& originalPath, std::uint64_t size = 5, std::size_t cut = 0) {
        std::string bytes(24, '\0');
        auto put = [&](std::size_t at, std::uint64_t value, int width) {
            for (int i = 0; i < width; ++i) bytes[at + i] = char((value >> (8 * i)) & 0xff);
        };
        put(0, std::uint64_t(version), 8);
        put(8, size, 8);
        put(16, deletedAt, 8);
        const std::size_t chars = version == 1 ? 260 : originalPath.size() + 1;
        if (version == 2) {
            bytes.resize(28);
            put(24, chars, 4);
        }
        const std::size_t at = bytes.size();
        bytes.resize(at + 2 * chars, '\0');
        for (std::size_t i = 0; i < originalPath.size(); ++i) put(at + 2 * i, originalPath[i], 2);
        bytes.resize(bytes.size() - cut);
        raw(L"$I" + id, bytes);
    }
    void raw(const std::wstring& name, const std::string& bytes) {
        HANDLE file = CreateFileW(path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    void payloadFile(const std::wstring& id) { raw(L"$R" + id, "hello"); }
    // A deleted folder with a folder, a read-only file and an empty folder inside.
    void payloadFolder(const std::wstring& id) {
        const std::wstring top = path(L"$R" + id);
        CreateDirectoryW(top.c_str(), nullptr);
        CreateDirectoryW((top + L"\\inner").c_str(), nullptr);
        CreateDirectoryW((top + L"\\inner\\empty").c_str(), nullptr);
        raw(L"$R" + id + L"\\inner\\notes.txt", "notes");
        SetFileAttributesW(path(L"$R" + id + L"\\inner\\notes.txt").c_str(),
                           FILE_ATTRIBUTE_READONLY);
    }
    bool has(const std::wstring& name) const {
        return GetFileAttributesW(path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::wstring path(const std::wstring& name) const { return folder_ + L"\\" + name; }
    const std::wstring& folder() const { return folder_; }

  private:
    std::wstring folder_;
};

constexpr std::int64_t kThirtyDays = 30 * 86400;

std::uint64_t allocatedSize(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FILE_STANDARD_INFO info{};
    GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info);
    CloseHandle(file);
    return static_cast<std::uint64_t>(info.AllocationSize.QuadPart);
}

TEST(Win32RecycleBinAgeFloor, OnlyWhatWasDeletedBeforeTheFloorGoes) {
    Win32WindowTable windows;
    Win32RecycleBinShell shell(windows);
    SHEmptyRecycleBinA(nullptr, nullptr, 7);  // Wine's own bin plays no part here
    SyntheticBin bin;
    // Two minutes each side of the floor: far more than the test takes, far less than any
    // time zone's offset, so a floor counted on the local clock instead of UTC shows.
    bin.record(L"OLD1.txt", 2, SyntheticBin::secondsBefore(kThirtyDays + 120),
               L"C:\\Users\\me\\old report.txt", 5);
    bin.payloadFile(L"OLD1.txt");
    bin.record(L"OLD2", 1, SyntheticBin::secondsBefore(kThirtyDays + 3600),
               L"C:\\Users\\me\\old folder", 9);
    bin.payloadFolder(L"OLD2");
    bin.record(L"NEW1.txt", 2, SyntheticBin::secondsBefore(kThirtyDays - 120),
               L"C:\\Users\\me\\recent.txt");
    bin.payloadFile(L"NEW1.txt");
    bin.record(L"LATE.txt", 2, SyntheticBin::now() + 3600ULL * 10'000'000,
               L"C:\\Users\\me\\late.txt");
    bin.payloadFile(L"LATE.txt");

    // A file frees what it takes on disk, and nothing while it has another name.
    const std::uint64_t allocated = allocatedSize(bin.path(L"$ROLD1.txt"));
    bin.record(L"OLD5.txt", 2, SyntheticBin::secondsBefore(kThirtyDays + 120), L"C:\\old5", 7);
    bin.payloadFile(L"OLD5.txt");
    const std::wstring otherName = L"C:\\tidewell-other-name.txt";
    ASSERT_TRUE(CreateHardLinkW(otherName.c_str(), bin.path(L"$ROLD5.txt").c_str(), nullptr));
    // A folder an interrupted empty had taken aside goes too.
    const std::wstring leftover = std::wstring(kSetAsidePrefix) + L"OLD9";
    CreateDirectoryW(bin.path(leftover).c_str(), nullptr);
    bin.raw(leftover + L"\\part.txt", "part");
    // A folder frees what it and each file in it take: a sparse file less than its length, a
    // file that has another name nothing.
    const HANDLE sparse = CreateFileW(bin.path(L"$ROLD2\\inner\\sparse").c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_TRUE(SetFilePointerEx(sparse, {.QuadPart = 1LL << 30}, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(sparse));
    CloseHandle(sparse);
    const std::wstring innerName = L"C:\\tidewell-inner-name.txt";
    ASSERT_TRUE(
        CreateHardLinkW(innerName.c_str(), bin.path(L"$ROLD2\\inner\\notes.txt").c_str(), nullptr));
    std::uint64_t folders = 0;
    for (const wchar_t* in :
         {L"$ROLD2", L"$ROLD2\\inner", L"$ROLD2\\inner\\empty", L"$ROLD2\\inner\\sparse"}) {
        folders += allocatedSize(bin.path(in));
    }
    for (const wchar_t* in : {L"", L"\\part.txt"})
        folders += allocatedSize(bin.path(leftover + in));

    EmptyReport report;
    EXPECT_EQ(shell.emptyRecycleBin(1, "C:\\", 7, {kThirtyDays}, report), kShellOk);
    DeleteFileW(otherName.c_str());
    DeleteFileW(innerName.c_str());
    EXPECT_FALSE(bin.has(L"$IOLD1.txt") || bin.has(L"$ROLD1.txt"));
    EXPECT_FALSE(bin.has(L"$IOLD2") || bin.has(L"$ROLD2"));
    EXPECT_TRUE(bin.has(L"$INEW1.txt") && bin.has(L"$RNEW1.txt"));
    EXPECT_TRUE(bin.has(L"$ILATE.txt") && bin.has(L"$RLATE.txt"));
    EXPECT_FALSE(bin.has(leftover));
    ASSERT_EQ(report.places.size(), 1u);
    const EmptyPlace& c = report.places[0];
    EXPECT_EQ(c.place, "C:\\");
    EXPECT_EQ(c.removed, 3u);
    EXPECT_EQ(c.bytesFreed, allocated + folders);
    EXPECT_LT(c.bytesFreed, 1u << 20);
    EXPECT_EQ(c.kept[std::size_t(KeptReason::TooRecent)], 1u);
    EXPECT_EQ(c.kept[std::size_t(KeptReason::DatedInFuture)], 1u);
    // Too recent: counted, not named again at every empty.
    ASSERT_EQ(c.keptItems.size(), 1u);
    EXPECT_EQ(c.keptItems[0].originalPath, "C:\\Users\\me\\late.txt");
    ASSERT_EQ(c.removedItems.size(), 3u);
    EXPECT_TRUE(c.errors.empty());

    // A record whose date can't be read keeps its item, and an old folder that can't be removed
    // completely stays listed and restorable; the empty says it is not done, and an old item
    // beside them still goes.
    bin.raw(L"$IBAD.txt", std::string(30, 'x'));
    bin.payloadFile(L"BAD.txt");
    // Old as they look, a record dated zero and one cut short tell no age either.
    bin.record(L"ZERO.txt", 2, 0, L"C:\\zero");
    bin.payloadFile(L"ZERO.txt");
    bin.record(L"CUT.txt", 2, SyntheticBin::secondsBefore(kThirtyDays + 60), L"C:\\cut short", 5,
               8);
    bin.payloadFile(L"CUT.txt");
    // Nor does an old-style record cut short, or one that names no place to restore to.
    bin.record(L"CUT1.txt", 1, SyntheticBin::secondsBefore(kThirtyDays + 60), L"C:\\cut1", 5, 8);
    bin.payloadFile(L"CUT1.txt");
    bin.record(L"NOPATH.txt", 2, SyntheticBin::secondsBefore(kThirtyDays + 60), L"");
    bin.payloadFile(L"NOPATH.txt");
    bin.record(L"OLD3.txt", 2, SyntheticBin::secondsBefore(kThirtyDays + 60), L"C:\\old3");
    bin.payloadFile(L"OLD3.txt");
    bin.record(L"OLD4", 2, SyntheticBin::secondsBefore(kThirtyDays + 60), L"C:\\old4");
    bin.payloadFolder(L"OLD4");
    HANDLE busy = CreateFileW(bin.path(L"$ROLD4\\inner\\notes.txt").c_str(), GENERIC_READ, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    const std::uint64_t old3 = allocatedSize(bin.path(L"$ROLD3.txt"));
    EmptyReport second;
    EXPECT_EQ(shell.emptyRecycleBin(1, "C:\\", 7, {kThirtyDays}, second), kShellFail);
    CloseHandle(busy);
    EXPECT_TRUE(bin.has(L"$IBAD.txt") && bin.has(L"$RBAD.txt"));
    EXPECT_TRUE(bin.has(L"$RZERO.txt") && bin.has(L"$RCUT.txt"));
    EXPECT_TRUE(bin.has(L"$RCUT1.txt") && bin.has(L"$RNOPATH.txt"));
    EXPECT_TRUE(bin.has(L"$IOLD4") && bin.has(L"$ROLD4\\inner\\notes.txt"));
    EXPECT_FALSE(bin.has(L"$ROLD3.txt"));
    ASSERT_EQ(second.places.size(), 1u);
    EXPECT_EQ(second.places[0].removed, 1u);
    EXPECT_EQ(second.places[0].bytesFreed, old3) << "what stayed freed nothing";
    EXPECT_EQ(second.places[0].kept[std::size_t(KeptReason::NotRemoved)], 1u);
    EXPECT_EQ(second.places[0].kept[std::size_t(KeptReason::RecordDamaged)], 5u);
    EXPECT_EQ(second.places[0].errors.size(), 2u) << "the folder's and the records', both";

    // Restored, and something else deleted under the same name, between the listing and the
    // removal: the item is no longer the one the listing found old.
    // The same holds when the new record bears the very date of the old.
    const std::uint64_t raced = SyntheticBin::secondsBefore(kThirtyDays + 60);
    bin.record(L"RACE.txt", 2, raced, L"C:\\restored");
    bin.payloadFile(L"RACE.txt");
    bin.record(L"RACE2.txt", 2, raced, L"C:\\restored2");
    bin.payloadFile(L"RACE2.txt");
    NamedRoom named;
    EmptyPlace third;
    emptyDriveOlderThan("C:\\", -1, ageFloor(SyntheticBin::now(), kThirtyDays), named, third,
                        [&](const BinEntry& entry) {
                            if (entry.recordPath == bin.path(L"$IRACE.txt")) {
                                bin.record(L"RACE.txt", 2, SyntheticBin::now(), L"C:\\new.txt");
                            } else if (entry.recordPath == bin.path(L"$IRACE2.txt")) {
                                bin.record(L"RACE2.txt", 2, raced, L"C:\\new2.txt");
                            }
                        });
    EXPECT_TRUE(bin.has(L"$RRACE.txt") && bin.has(L"$RRACE2.txt"));
    EXPECT_EQ(third.kept[std::size_t(KeptReason::Changed)], 2u);
}

// The size limit over every fixed drive: each row's items, on drive C: or D:, deleted `days`
// ago less a minute (negative: dated after the empty began), weigh `size` by their records.
// Damaged: a record that can't be read, beside a payload of `size` bytes. Restored, and
// Replaced by a new deletion under the same name: between the listing and the removal.
// D: exists only in the run that links it before the tests start (see CMakeLists.txt).
struct Held {
    int days;
    bool stays;
    std::uint64_t size = 1000;
    char drive = 'C';
    enum Kind { Plain, Damaged, Restored, Replaced } kind = Plain;
};
struct LimitCase {
    const char* name;
    std::int64_t keepDays;
    std::uint64_t limit;
    std::vector<Held> items;
};

std::vector<Held> thirtyOfOneMegabyte(int newestStaying) {
    std::vector<Held> items;
    for (int days = 1; days <= 30; ++days) items.push_back({days, days <= newestStaying, 1 << 20});
    return items;
}

TEST(Win32RecycleBinSizeLimit, TheOldestGoOverAllDrivesUntilTheBinsFitTheLimit) {
    const bool secondDrive = std::getenv("TIDEWELL_TEST_SECOND_DRIVE") != nullptr;
    if (secondDrive) {
        ASSERT_EQ(GetDriveTypeA("D:\\"), DRIVE_FIXED) << "D: was not linked";
    }
    const auto hundredthOfAGigabyte = std::uint64_t(0.01 * double(1ULL << 30));
    const LimitCase cases[] = {
        {"a hundredth of a gigabyte", 0, hundredthOfAGigabyte, thirtyOfOneMegabyte(10)},
        {"the same with a floor of 15 days", 15, hundredthOfAGigabyte, thirtyOfOneMegabyte(15)},
        {"one date goes whole", 0, 3500, {{10, false}, {10, false}, {10, false}, {5, true}}},
        {"an unknown age stays and weighs its payload",
         1,
         2600,
         {{20, false}, {10, true}, {30, true, 1500, 'C', Held::Damaged}}},
        {"the floor and a clock set back win", 15, 500, {{20, false}, {5, true}, {-1, true}}},
        {"two drives hold one total",
         0,
         2000,
         {{10, false}, {3, true}, {20, false, 1000, 'D'}, {5, true, 1000, 'D'}}},
        {"a restore racing the purge loses nothing",
         0,
         1000,
         {{20, false, 1000, 'C', Held::Restored},
          {20, true, 1000, 'C', Held::Replaced},
          {10, true}}},
    };
    SHEmptyRecycleBinA(nullptr, nullptr, 7);  // Wine's own bin plays no part here
    const std::wstring restored = L"C:\\tidewell-restored.txt";
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto onD = [](const Held& h) { return h.drive == 'D'; };
        if (!secondDrive && std::any_of(c.items.begin(), c.items.end(), onD)) continue;
        std::map<char, std::unique_ptr<SyntheticBin>> bins;
        std::uint64_t total = 0, recent = 0, unknown = 0, removed = 0;
        const std::uint64_t start = SyntheticBin::now();  // items of one day share one date
        for (std::size_t i = 0; i < c.items.size(); ++i) {
            const Held& h = c.items[i];
            auto& bin = bins[h.drive];
            if (!bin) bin = std::make_unique<SyntheticBin>(std::string(1, h.drive) + ":\\");
            const std::wstring id = std::to_wstring(i);
            const bool damaged = h.kind == Held::Damaged;
            bin->record(id, damaged ? 3 : 2, start - (h.days * 86400LL - 60) * 10'000'000ULL,
                        L"C:\\" + std::to_wstring(h.kind), h.size);
            bin->raw(L"$R" + id, std::string(damaged ? h.size : 5, 'x'));
            total += h.size;
            unknown += damaged;
            recent += !damaged && c.keepDays > 0 && h.days <= c.keepDays;
            removed += !h.stays && h.kind == Held::Plain;
        }
        RecycleBinCalls calls;
        calls.beforeRemoval = [&](const BinEntry& entry) {
            if (entry.record->originalPath == L"C:\\" + std::to_wstring(Held::Restored)) {
                MoveFileW(entry.payloadPath.c_str(), restored.c_str());
                DeleteFileW(entry.recordPath.c_str());
            } else if (entry.record->originalPath == L"C:\\" + std::to_wstring(Held::Replaced)) {
                bins['C']->record(entry.recordPath.substr(entry.recordPath.rfind(L"$I") + 2), 2,
                                  SyntheticBin::now(), L"C:\\new.txt");
            }
        };
        Win32WindowTable windows;
        Win32RecycleBinShell shell(windows, calls);

        const TrashMeasure measure = shell.measureBins(c.keepDays * 86400);
        EXPECT_EQ(measure.totalBytes(), total);
        EXPECT_EQ(measure.recentItems, recent);
        EXPECT_EQ(measure.unknownItems, c.keepDays > 0 ? unknown : 0);
        EmptyReport report;
        EXPECT_EQ(shell.emptyRecycleBin(1, nullptr, 7, {c.keepDays * 86400, c.limit}, report),
                  unknown > 0 ? kShellFail : kShellOk);
        for (std::size_t i = 0; i < c.items.size(); ++i) {
            EXPECT_EQ(bins[c.items[i].drive]->has(L"$R" + std::to_wstring(i)), c.items[i].stays)
                << "item " << i;
        }
        for (const EmptyPlace& place : report.places) removed -= place.removed;
        EXPECT_EQ(removed, 0u);
        EXPECT_EQ(DeleteFileW(restored.c_str()) != FALSE, c.items[0].kind == Held::Restored);
    }
}

// Runs a Unix program beside Wine and waits for it: Wine reports a Unix symbolic link in its
// drives as a reparse point, as Windows does a junction, but makes none itself.
void runUnix(std::vector<std::string> args) {
    using Spawn = LONG(WINAPI*)(char* const*, int);
    const auto spawn = reinterpret_cast<Spawn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll"), "__wine_unix_spawnvp")));
    ASSERT_NE(spawn, nullptr) << "runs under Wine only";
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    EXPECT_EQ(spawn(argv.data(), TRUE), 0);
}
std::string unixPath(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* name = toUnix ? toUnix(path.c_str()) : nullptr;
    const std::string text = name ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

TEST(Win32RecycleBinAgeFloor, NothingOutsideTheBinGoesThroughALink) {
    Win32WindowTable windows;
    Win32RecycleBinShell shell(windows);
    const std::wstring outside = L"C:\\tidewell-outside";
    CreateDirectoryW(outside.c_str(), nullptr);
    ASSERT_TRUE(writeFile("C:\\tidewell-outside\\precious.txt", "keep"));
    const std::uint64_t old = SyntheticBin::secondsBefore(kThirtyDays + 60);
    SyntheticBin bin;

    // A link inside an old folder goes itself; what it leads to stays.
    bin.record(L"LINKS", 2, old, L"C:\\links");
    bin.payloadFolder(L"LINKS");
    const std::wstring link = bin.path(L"$RLINKS\\inner\\outside");
    runUnix({"/bin/ln", "-s", unixPath(outside), unixPath(link)});
    ASSERT_NE(GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    EmptyReport report;
    shell.emptyRecycleBin(1, "C:\\", 7, {kThirtyDays}, report);
    runUnix({"/bin/rm", "-f", unixPath(link)});
    EXPECT_TRUE(exists("C:\\tidewell-outside\\precious.txt"));

    // The bin folder a link itself: what it leads to is no bin, and nothing there goes.
    const std::wstring elsewhere = L"C:\\tidewell-elsewhere";
    bin.record(L"AWAY.txt", 2, old, L"C:\\away.txt");
    bin.payloadFile(L"AWAY.txt");
    ASSERT_TRUE(MoveFileW(bin.folder().c_str(), elsewhere.c_str()));
    runUnix({"/bin/ln", "-s", unixPath(elsewhere), unixPath(bin.folder())});
    EmptyReport linked;
    EXPECT_EQ(shell.emptyRecycleBin(1, "C:\\", 7, {kThirtyDays}, linked), kShellFail);
    runUnix({"/bin/rm", "-f", unixPath(bin.folder())});
    MoveFileW(elsewhere.c_str(), bin.folder().c_str());
    EXPECT_TRUE(bin.has(L"$IAWAY.txt") && bin.has(L"$RAWAY.txt"));
    ASSERT_EQ(linked.places.size(), 1u);
    EXPECT_EQ(linked.places[0].removed, 0u);
}

TEST(Win32RecycleBinAgeFloor, ABinWhoseAgesCantBeReadIsLeftWhole) {
    // Wine's own bin keeps no records a floor could go by.
    win32_test::TestWindow main("Tidewell main");
    Win32WindowTable windows;
    windows.bind(1, main.hwnd());
    Win32RecycleBinShell shell(windows);
    SHEmptyRecycleBinA(nullptr, nullptr, 7);
    CreateDirectoryA("C:\\tidewell-test", nullptr);
    ASSERT_TRUE(writeFile("C:\\tidewell-test\\unknown age.txt", "?"));
    deleteToBin("C:\\tidewell-test\\unknown age.txt");

    EmptyReport report;
    std::string failure;
    EXPECT_FALSE(modCleanUp::detail::EmptyDriveBins(shell, 1, {kThirtyDays}, report, failure));
    EXPECT_EQ(itemsOn(shell, "C:\\"), 1);
    ASSERT_FALSE(report.places.empty());
    EXPECT_EQ(report.places[0].place, "C:\\");
    EXPECT_EQ(report.places[0].removed, 0u);
    EXPECT_EQ(report.places[0].kept[std::size_t(KeptReason::AgeUnknown)], 1u);
    EXPECT_FALSE(report.places[0].errors.empty());
    SHEmptyRecycleBinA(nullptr, nullptr, 7);
}

}  // namespace
}  // namespace tw::win32_platform
