#include "platform/linux/own_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tw::linux_platform {

namespace {

using Status = OwnFileOpening::Status;

// Why an opening that was refused met something that is not ours; nothing for a plain failure.
const char* notOursBecause(int error) {
    switch (error) {
        case ELOOP:  // O_NOFOLLOW met a link, a dangling one included
            return "is a symbolic link";
        case EISDIR:
            return "is a folder";
        case ENXIO:  // a FIFO nobody reads, a socket, a device without its driver
        case ENODEV:
        case EOPNOTSUPP:
            return "is not a regular file";
        case EWOULDBLOCK:  // another program holds a lease on it: opening it would wait
            return "is held by another program";
        case ETXTBSY:
            return "is a running program";
        default:
            return nullptr;
    }
}

class LinuxOwnFile : public OwnFile {
  public:
    explicit LinuxOwnFile(UniqueFd fd) : fd_(std::move(fd)) {}
    std::uint64_t size() override {
        struct stat st {};
        return ::fstat(fd_.get(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    }
    std::string append(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd_.get(), bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return std::strerror(n < 0 ? errno : ENOSPC);
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return {};
    }
    bool truncate(std::uint64_t size) override {
        return ::ftruncate(fd_.get(), static_cast<off_t>(size)) == 0;
    }

  private:
    UniqueFd fd_;
};

}  // namespace

OwnFileOpen openOwnFile(const std::string& path, int flags, mode_t mode) {
    return openOwnFileAt(AT_FDCWD, path.c_str(), flags, mode);
}

OwnFileOpen openOwnFileAt(int dirFd, const char* name, int flags, mode_t mode) {
    OwnFileOpen out;
    const int fd = ::openat(dirFd, name, flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                            mode != 0 ? mode : 0600);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) {
            out.status = Status::Missing;
        } else if (const char* what = notOursBecause(error)) {
            out.status = Status::NotOurs;
            out.why = what;
            out.folder = error == EISDIR;
        } else {
            out.why = std::strerror(error);
        }
        return out;
    }
    UniqueFd opened(fd);
    if (::fstat(fd, &out.st) != 0) {
        out.why = std::strerror(errno);
        return out;
    }
    out.status = Status::NotOurs;
    if (S_ISDIR(out.st.st_mode)) {
        out.why = "is a folder";
        out.folder = true;
    } else if (!S_ISREG(out.st.st_mode)) {
        out.why = "is not a regular file";
    } else if (out.st.st_uid != ::geteuid()) {
        out.why = "belongs to another user";
    } else if (out.st.st_nlink > 1) {
        // Written through, it would change a file that lives under another name too.
        out.why = "has other names (hard links)";
    } else {
        out.status = Status::Opened;
        if (mode != 0 && (out.st.st_mode & 07777) != mode && ::fchmod(fd, mode) == 0) {
            out.st.st_mode = (out.st.st_mode & ~07777) | mode;
        }
        out.fd = std::move(opened);
    }
    return out;
}

OwnFileOpening LinuxOwnFiles::openPrivate(const std::filesystem::path& path, bool create) {
    OwnFileOpen opened =
        openOwnFile(path.string(), O_WRONLY | O_APPEND | (create ? O_CREAT : 0), 0600);
    OwnFileOpening out;
    out.status = opened.status;
    out.why = std::move(opened.why);
    if (opened.fd) out.file = std::make_unique<LinuxOwnFile>(std::move(opened.fd));
    return out;
}

}  // namespace tw::linux_platform
