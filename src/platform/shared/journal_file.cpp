#include "platform/shared/journal_file.h"

#include <system_error>

#include "platform/shared/error_reporter.h"

namespace tw {

namespace fs = std::filesystem;

namespace {

using Status = OwnFileOpening::Status;

std::string shown(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string notOurs(const fs::path& path, const std::string& what) {
    return shown(path) + " " + what + ", not Tidewell's journal: it was left alone";
}

}  // namespace

JournalFile::JournalFile(fs::path file, OwnFiles& files, std::uintmax_t bound)
    : file_(std::move(file)), files_(files), bound_(bound) {}

fs::path JournalFile::oldFile() const {
    fs::path old = file_;
    old += ".1";
    return old;
}

std::string JournalFile::rotate() {
    // What is at the old file's place is replaced: it must be ours to replace.
    OwnFileOpening old = files_.openPrivate(oldFile(), false);
    if (old.status == Status::NotOurs) return notOurs(oldFile(), old.why);
    if (old.status == Status::Failed) {
        return shown(oldFile()) + " could not be opened (" + old.why + ")";
    }
    old.file.reset();  // Windows replaces no file that is open
    // Replaces the older file in one step, on Windows too (the standard library asks for that).
    std::error_code error;
    fs::rename(file_, oldFile(), error);
    if (!error) return {};
    return shown(file_) + " could not be moved to " + shown(oldFile()) + " (" + error.message() +
           ")";
}

std::string JournalFile::append(const std::string& block) {
    // The user is told once a run; whoever reads the program's output, every time.
    std::string trouble = write(block, false);
    if (!trouble.empty()) reportToStderr("the journal: " + trouble);
    return trouble;
}

std::string JournalFile::replaceLast(const std::string& block) {
    std::string trouble = write(block, true);
    if (!trouble.empty()) reportToStderr("the journal: " + trouble);
    return trouble;
}

std::string JournalFile::write(const std::string& block, bool replacing) {
    const bool wasKnown = lastKnown_;
    lastKnown_ = false;
    if (file_.empty()) return "there is no folder to keep it in (no home folder is set)";
    std::error_code error;
    const fs::path folder = file_.parent_path();
    fs::create_directories(folder, error);
    if (error)
        return "its folder " + shown(folder) + " could not be made (" + error.message() + ")";

    OwnFileOpening opened;
    const auto open = [&]() -> std::string {
        opened = files_.openPrivate(file_, true);
        if (opened.status == Status::NotOurs) return notOurs(file_, opened.why);
        if (opened.status != Status::Opened) {
            return shown(file_) + " could not be opened (" + opened.why + ")";
        }
        return {};
    };
    if (std::string why = open(); !why.empty()) return why;
    std::uint64_t size = opened.file->size();
    if (replacing && wasKnown && size == lastEnd_ && opened.file->truncate(lastStart_)) {
        size = lastStart_;
    }

    std::string trouble;
    if (size > 0 && size + block.size() > bound_) {
        opened.file.reset();  // Windows moves no file that is open
        trouble = rotate();
        if (!trouble.empty()) {
            // Past twice its bound the journal stops growing, so that it is bounded still.
            if (size + block.size() > 2 * bound_) return trouble + ", so nothing more is written";
            trouble += ", so it grows past " + std::to_string(bound_ / 1024) + " KB";
        }
        if (std::string why = open(); !why.empty()) return why;
        size = opened.file->size();
    }

    const std::string why = opened.file->append(block);
    if (!why.empty()) {
        opened.file->truncate(size);
        return shown(file_) + " could not be written (" + why + ")";
    }
    lastKnown_ = true;
    lastStart_ = size;
    lastEnd_ = size + block.size();
    return trouble;
}

}  // namespace tw
