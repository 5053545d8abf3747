#include "platform/win32/win32_bin_records.h"

#include "platform/win32/win32_api.h"

#include <sddl.h>

#include <cstring>
#include <memory>

#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"

namespace tw::win32_platform {

namespace {

// Version 1 (Windows Vista to 8) keeps the path in a fixed field of 260 UTF-16 characters;
// version 2 (Windows 10 on) gives the character count, its NUL included, before the path.
constexpr std::size_t kHeaderBytes = 24;
constexpr std::size_t kVersion1PathChars = 260;
// Longer than any path the system accepts: a count beyond it is a damaged record.
constexpr std::uint32_t kMaxPathChars = 32768;
// Enough for the longest record of either version.
constexpr DWORD kMaxRecordBytes = kHeaderBytes + 4 + 2 * kMaxPathChars;

template <typename T>
T readLittleEndian(std::string_view bytes, std::size_t at) {
    T value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) {
        value = static_cast<T>(value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::wstring pathIn(std::string_view bytes, std::size_t at, std::size_t chars) {
    std::wstring path;
    for (std::size_t i = 0; i < chars; ++i) {
        const auto c = readLittleEndian<std::uint16_t>(bytes, at + 2 * i);
        if (c == 0) break;
        path.push_back(static_cast<wchar_t>(c));
    }
    return path;
}

std::wstring userSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    auto buffer = std::make_unique<unsigned char[]>(size);
    std::wstring text;
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.get(), size, &size)) {
        wchar_t* sid = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, &sid)) {
            text = sid;
            LocalFree(sid);
        }
    }
    CloseHandle(token);
    return text;
}

bool startsWith(const wchar_t* name, std::wstring_view prefix) {
    return std::wstring_view(name).substr(0, prefix.size()) == prefix;
}

}  // namespace

std::optional<BinRecord> parseBinRecord(std::string_view bytes) {
    if (bytes.size() < kHeaderBytes) return std::nullopt;
    BinRecord record;
    const auto version = readLittleEndian<std::uint64_t>(bytes, 0);
    record.size = readLittleEndian<std::uint64_t>(bytes, 8);
    record.deletedAt = readLittleEndian<std::uint64_t>(bytes, 16);
    if (version == 1) {
        if (bytes.size() < kHeaderBytes + 2 * kVersion1PathChars) return std::nullopt;
        record.originalPath = pathIn(bytes, kHeaderBytes, kVersion1PathChars);
    } else if (version == 2) {
        if (bytes.size() < kHeaderBytes + 4) return std::nullopt;
        const auto chars = readLittleEndian<std::uint32_t>(bytes, kHeaderBytes);
        if (chars > kMaxPathChars || bytes.size() < kHeaderBytes + 4 + 2 * std::size_t(chars)) {
            return std::nullopt;
        }
        record.originalPath = pathIn(bytes, kHeaderBytes + 4, chars);
    } else {
        return std::nullopt;
    }
    // A record without a deletion date or a path tells nothing we could keep or remove by.
    if (record.deletedAt == 0 || record.originalPath.empty()) return std::nullopt;
    return record;
}

std::optional<BinRecord> readBinRecord(const std::wstring& path) {
    // Shared every way: the shell may be reading or restoring it meanwhile.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes(kMaxRecordBytes, '\0');
    DWORD read = 0;
    const BOOL ok = ReadFile(file, bytes.data(), kMaxRecordBytes, &read, nullptr);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    bytes.resize(read);
    return parseBinRecord(bytes);
}

std::wstring binFolderOf(const std::string& rootPath) {
    const std::wstring sid = userSid();
    if (sid.empty()) return {};
    std::wstring root = toWide(rootPath);
    if (!root.empty() && root.back() != L'\\') root.push_back(L'\\');
    return root + L"$Recycle.Bin\\" + sid;
}

BinListing listBin(const std::string& rootPath, std::size_t recordsToRead) {
    BinListing listing;
    listing.folder = binFolderOf(rootPath);
    if (listing.folder.empty()) {
        listing.error = "can't tell which of the bins on the drive is this user's";
        return listing;
    }
    const DWORD attributes = GetFileAttributesW(listing.folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            listing.error = "can't open " + fromWide(listing.folder) + ": " + describeError(error);
        }
        return listing;
    }
    // A link in place of the bin could lead the removal anywhere.
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        listing.error = fromWide(listing.folder) + " is not a folder";
        return listing;
    }
    listing.exists = true;

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW((listing.folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) {
            listing.error = "can't list " + fromWide(listing.folder) + ": " + describeError(error);
        }
        return listing;
    }
    do {
        const std::wstring path = listing.folder + L"\\" + found.cFileName;
        if (startsWith(found.cFileName, kSetAsidePrefix)) {
            listing.leftovers.push_back(path);
        } else if (startsWith(found.cFileName, L"$I") &&
                   !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            BinEntry entry;
            entry.recordPath = path;
            entry.payloadPath = listing.folder + L"\\$R" + (found.cFileName + 2);
            if (listing.entries.size() < recordsToRead) entry.record = readBinRecord(path);
            listing.entries.push_back(std::move(entry));
        }
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        listing.error = "can't list " + fromWide(listing.folder) + ": " + describeError(error);
    }
    return listing;
}

}  // namespace tw::win32_platform
