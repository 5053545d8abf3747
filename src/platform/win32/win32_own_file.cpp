#include "platform/win32/win32_own_file.h"

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_registry.h"

#include <algorithm>
#include <memory>

namespace tw::win32_platform {

namespace {

using Status = OwnFileOpening::Status;

class Win32OwnFile : public OwnFile {
  public:
    explicit Win32OwnFile(HANDLE file) : file_(file) {}
    ~Win32OwnFile() override { CloseHandle(file_); }
    Win32OwnFile(const Win32OwnFile&) = delete;
    Win32OwnFile& operator=(const Win32OwnFile&) = delete;

    std::uint64_t size() override {
        LARGE_INTEGER size{};
        return GetFileSizeEx(file_, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    }
    std::string append(std::string_view bytes) override {
        LARGE_INTEGER end{};
        if (!SetFilePointerEx(file_, end, nullptr, FILE_END)) return describeError(GetLastError());
        while (!bytes.empty()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
            if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr) || written == 0) {
                return describeError(GetLastError());
            }
            bytes.remove_prefix(written);
        }
        return {};
    }
    bool truncate(std::uint64_t size) override {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(size);
        return SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) && SetEndOfFile(file_);
    }

  private:
    HANDLE file_;
};

}  // namespace

OwnFileOpening Win32OwnFiles::openPrivate(const std::filesystem::path& path, bool create) {
    OwnFileOpening out;
    // The folder under the user's local application data is the user's alone: the file takes
    // its access from there.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    create ? OPEN_ALWAYS : OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            out.status = Status::Missing;
            return out;
        }
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            out.status = Status::NotOurs;
            out.why = "is a folder";
            return out;
        }
        out.why = describeError(error);
        return out;
    }
    // Owned from here on, and closed unless it is ours.
    auto opened = std::make_unique<Win32OwnFile>(file);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        out.why = describeError(GetLastError());
        return out;
    }
    out.status = Status::NotOurs;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        out.why = "is a link (a reparse point)";
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        out.why = "is a folder";
    } else if (GetFileType(file) != FILE_TYPE_DISK) {
        out.why = "is not a file on disk";
    } else if (info.nNumberOfLinks > 1) {
        out.why = "has other names (hard links)";
    } else {
        out.status = Status::Opened;
        out.file = std::move(opened);
    }
    return out;
}

}  // namespace tw::win32_platform
