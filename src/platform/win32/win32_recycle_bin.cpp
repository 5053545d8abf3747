#include "platform/win32/win32_recycle_bin.h"

#include "platform/win32/win32_api.h"

#include <shlobj.h>

#include <algorithm>

#include "platform/win32/win32_bin_age_empty.h"
#include "platform/win32/win32_bin_measure.h"
#include "platform/win32/win32_bin_records.h"
#include "platform/win32/win32_bin_size_limit.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"

// In shell32 (and MinGW's import library) since Windows 2000, but in none of MinGW's headers.
extern "C" __declspec(dllimport) void WINAPI SHUpdateRecycleBinIcon(void);

namespace tw::win32_platform {

namespace {

// Explorer shows the bins from its own cache; removing their files behind its back needs it
// told, or it goes on showing what is gone.
void tellExplorer(const std::vector<std::wstring>& folders) {
    for (const std::wstring& folder : folders) {
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, folder.c_str(), nullptr);
    }
    PIDLIST_ABSOLUTE bin = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &bin))) {
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, bin, nullptr);
        CoTaskMemFree(bin);
    }
    SHUpdateRecycleBinIcon();
}

}  // namespace

Win32RecycleBinShell::Count Win32RecycleBinShell::countIn(const char* rootPath) const {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    if (FAILED(calls_.query(rootPath, &info))) return {};
    return {info.i64NumItems, info.i64Size};
}

std::uint32_t Win32RecycleBinShell::getLogicalDriveStrings(std::uint32_t bufferLength,
                                                           char* buffer) {
    return GetLogicalDriveStringsA(bufferLength, buffer);
}

DriveType Win32RecycleBinShell::getDriveType(const std::string& rootPath) {
    return static_cast<DriveType>(GetDriveTypeA(toAnsi(rootPath).c_str()));
}

std::int32_t Win32RecycleBinShell::queryRecycleBin(const std::string& rootPath,
                                                   RecycleBinQuery& query) {
    SHQUERYRBINFO info{};
    info.cbSize = query.cbSize;
    const HRESULT result = calls_.query(toAnsi(rootPath).c_str(), &info);
    const auto size = static_cast<std::uint64_t>(info.i64Size);
    const auto items = static_cast<std::uint64_t>(info.i64NumItems);
    query.sizeLow = static_cast<std::int32_t>(static_cast<std::uint32_t>(size));
    query.sizeHigh = static_cast<std::int32_t>(static_cast<std::uint32_t>(size >> 32));
    query.itemsLow = static_cast<std::int32_t>(static_cast<std::uint32_t>(items));
    query.itemsHigh = static_cast<std::int32_t>(static_cast<std::uint32_t>(items >> 32));
    return static_cast<std::int32_t>(result);
}

// The drive `rootPath` (ANSI), or every fixed drive when it is null.
std::vector<std::string> Win32RecycleBinShell::drivesOf(const char* rootPath) {
    if (rootPath) return {rootPath};
    std::vector<std::string> drives;
    std::string list(GetLogicalDriveStringsA(0, nullptr), '\0');
    list.resize(GetLogicalDriveStringsA(static_cast<DWORD>(list.size()), list.data()));
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = std::min(list.find('\0', start), list.size());
        const std::string root = list.substr(start, end - start);
        if (GetDriveTypeA(root.c_str()) == DRIVE_FIXED) drives.push_back(root);
        start = end + 1;
    }
    return drives;
}

std::int32_t Win32RecycleBinShell::emptyRecycleBin(WindowHandle owner, const char* rootPath,
                                                   std::uint32_t flags, const EmptyOrder& order,
                                                   EmptyReport& report) {
    const std::string root = rootPath ? toAnsi(rootPath) : std::string();
    const char* shellRoot = rootPath ? root.c_str() : nullptr;
    if (order.limitBytes != 0) return emptyDownTo(shellRoot, order, report);
    return order.keepSeconds > 0 ? emptyOlderThan(shellRoot, order.keepSeconds, report)
                                 : emptyWhole(owner, shellRoot, flags, report);
}

std::int32_t Win32RecycleBinShell::emptyWhole(WindowHandle owner, const char* shellRoot,
                                              std::uint32_t flags, EmptyReport& report) {
    // What each bin held, for the report: the shell's counts, and the records' paths where the
    // bin keeps them.
    struct Before {
        std::string root;
        Count count;
        BinListing bin;
    };
    // Only as many records are read as the report can name: an empty with no floor stays fast.
    NamedRoom named = NamedRoom::leftIn(report);
    std::vector<Before> drives;
    for (std::string& drive : drivesOf(shellRoot)) {
        Count count = countIn(drive.c_str());
        BinListing bin = listBin(fromAnsi(drive), named.removed);
        drives.push_back({std::move(drive), count, std::move(bin)});
    }

    const HRESULT result = calls_.empty(windows_.hwnd(owner), shellRoot, flags);

    for (const Before& drive : drives) {
        const Count after = countIn(drive.root.c_str());
        if (drive.count.items <= 0 && after.items <= 0 && SUCCEEDED(result)) continue;
        EmptyPlace place;
        place.place = fromAnsi(drive.root);
        const std::int64_t before = std::max<std::int64_t>(drive.count.items, 0);
        const std::int64_t left = after.items < 0 ? before : std::min(after.items, before);
        place.removed = static_cast<std::uint64_t>(before - left);
        place.kept[std::size_t(KeptReason::NotRemoved)] = static_cast<std::uint64_t>(left);
        // The shell tells how much smaller it counts the bin, not what the disk got back.
        place.freedKnown = false;
        if (after.items >= 0 && after.bytes < drive.count.bytes) {
            place.shellShrank = static_cast<std::uint64_t>(drive.count.bytes - after.bytes);
        }
        // A record that is gone went with its item.
        for (const BinEntry& entry : drive.bin.entries) {
            if (!entry.record || named.removed == 0) continue;
            if (GetFileAttributesW(entry.recordPath.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
            --named.removed;
            place.name(place.removedItems, fromWide(entry.record->originalPath),
                       KeptReason::NotRemoved);
        }
        if (FAILED(result)) {
            place.addError("the shell could not empty the bin: " + describeError(result));
        } else if (after.items < 0) {
            place.addError("the bin can't be counted after the empty");
        }
        report.places.push_back(std::move(place));
    }

    if (FAILED(result)) return static_cast<std::int32_t>(result);
    // The interface promises success only when the bins are empty; ask them, not the result.
    return itemsIn(shellRoot) == 0 ? kShellOk : kShellFail;
}

std::int32_t Win32RecycleBinShell::emptyOlderThan(const char* shellRoot, std::int64_t keepSeconds,
                                                  EmptyReport& report) {
    const AgeFloor floor = ageFloor(utcNow(), keepSeconds);
    NamedRoom named = NamedRoom::leftIn(report);
    bool complete = true;
    std::vector<std::wstring> emptied;
    for (const std::string& drive : drivesOf(shellRoot)) {
        EmptyPlace place;
        complete &=
            emptyDriveOlderThan(fromAnsi(drive), countIn(drive.c_str()).items, floor, named, place);
        if (place.removed > 0) emptied.push_back(binFolderOf(fromAnsi(drive)));
        const bool anything = place.removed > 0 || !place.errors.empty() ||
                              std::any_of(place.kept.begin(), place.kept.end(),
                                          [](std::uint64_t n) { return n > 0; });
        if (anything) report.places.push_back(std::move(place));
    }
    tellExplorer(emptied);
    return complete ? kShellOk : kShellFail;
}

std::vector<ListedBin> Win32RecycleBinShell::listBins(const char* shellRoot) {
    std::vector<ListedBin> bins;
    for (const std::string& drive : drivesOf(shellRoot)) {
        const Count count = countIn(drive.c_str());
        ListedBin bin{fromAnsi(drive), count.items, 0, {}};
        if (count.items >= 0)
            bin.shellBytes = static_cast<std::uint64_t>(std::max<std::int64_t>(count.bytes, 0));
        bin.listing = listBin(bin.root);
        bins.push_back(std::move(bin));
    }
    return bins;
}

std::int32_t Win32RecycleBinShell::emptyDownTo(const char* shellRoot, const EmptyOrder& order,
                                               EmptyReport& report) {
    const AgeFloor floor = ageFloor(utcNow(), order.keepSeconds);
    const std::vector<ListedBin> bins = listBins(shellRoot);
    const std::size_t before = report.places.size();
    const bool complete =
        emptyDownToLimit(bins, floor, utcNow(), order.limitBytes, report, calls_.beforeRemoval);
    std::vector<std::wstring> emptied;
    for (std::size_t i = before; i < report.places.size(); ++i) {
        if (report.places[i].removed > 0) emptied.push_back(binFolderOf(report.places[i].place));
    }
    tellExplorer(emptied);
    return complete ? kShellOk : kShellFail;
}

TrashMeasure Win32RecycleBinShell::measureBins(std::int64_t keepSeconds) {
    const AgeFloor floor = ageFloor(utcNow(), keepSeconds);
    const std::vector<ListedBin> bins = listBins(nullptr);
    TrashMeasure measure = measureListedBins(bins, floor, utcNow(), keepSeconds > 0);
    for (const ListedBin& bin : bins) {
        if (bin.shellItems >= 0) continue;
        if (!measure.error.empty()) measure.error += "; ";
        measure.error += "the shell can't count the bin of " + bin.root;
    }
    return measure;
}

void Win32RecycleBinShell::updateRecycleBinIcon() {
    SHUpdateRecycleBinIcon();
}

}  // namespace tw::win32_platform
