#include "platform/shared/journal_file.h"

#include <cerrno>
#include <fstream>
#include <system_error>

#include "platform/shared/error_reporter.h"

namespace tw {

namespace fs = std::filesystem;

namespace {

std::string shown(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string lastError() {
    return errno != 0 ? std::generic_category().message(errno) : std::string("unknown error");
}

}  // namespace

JournalFile::JournalFile(fs::path file, std::uintmax_t bound)
    : file_(std::move(file)), bound_(bound) {}

fs::path JournalFile::oldFile() const {
    fs::path old = file_;
    old += ".1";
    return old;
}

std::string JournalFile::rotate() {
    // Replaces the older file in one step, on Windows too (the standard library asks for that).
    std::error_code error;
    fs::rename(file_, oldFile(), error);
    if (!error) return {};
    return shown(file_) + " could not be moved to " + shown(oldFile()) + " (" + error.message() +
           "), so it grows past " + std::to_string(bound_ / 1024) + " KB";
}

std::string JournalFile::append(const std::string& block) {
    // The user is told once a run; whoever reads the program's output, every time.
    std::string trouble = write(block);
    if (!trouble.empty()) reportToStderr("the journal: " + trouble);
    return trouble;
}

std::string JournalFile::write(const std::string& block) {
    if (file_.empty()) return "there is no folder to keep it in (no home folder is set)";
    std::error_code error;
    const fs::path folder = file_.parent_path();
    fs::create_directories(folder, error);
    if (error)
        return "its folder " + shown(folder) + " could not be made (" + error.message() + ")";

    std::string trouble;
    std::uintmax_t size = fs::file_size(file_, error);
    if (error) size = 0;  // none yet; anything else fails at the opening below
    if (size > 0 && size + block.size() > bound_) {
        trouble = rotate();
        if (trouble.empty()) size = 0;
    }

    const bool fresh = !fs::exists(file_, error);
    errno = 0;
    std::ofstream out(file_, std::ios::binary | std::ios::app);
    if (!out) return shown(file_) + " could not be opened (" + lastError() + ")";
    if (fresh) {
        // It names what the user deleted: theirs to read, nobody else's.
        fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write, error);
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    out.flush();
    if (!out) {
        const std::string why = lastError();
        out.close();
        fs::resize_file(file_, size, error);
        return shown(file_) + " could not be written (" + why + ")";
    }
    return trouble;
}

}  // namespace tw
