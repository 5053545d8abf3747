#include "platform/linux/trash_empty.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/linux/deletion_date.h"
#include "platform/linux/trash_layout.h"

namespace tw::linux_platform {

namespace {

constexpr int kNameAttempts = 100;

// A name in expunged/ that no other empty, of ours or another program's, uses.
std::string expungedName() {
    static std::atomic<unsigned> counter{0};
    static const std::string prefix = "tidewell-" + std::to_string(::getpid()) + "-";
    return prefix + std::to_string(++counter);
}

// Renames without replacing what is at the target (EEXIST then). Where the file system lacks
// RENAME_NOREPLACE, a plain rename after a look: the targets are in expunged/ or an item's
// own name, and a rename only ever replaces a file or an empty folder.
int renameNoReplace(int fromFd, const char* from, int toFd, const char* to) {
    if (::renameat2(fromFd, from, toFd, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL) return errno;
    struct stat st;
    if (::fstatat(toFd, to, &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
    return ::renameat(fromFd, from, toFd, to) == 0 ? 0 : errno;
}

// FAT and exFAT keep no change time: what reads as one is the contents' modification time
// (through FUSE too, where the file system can't be told), so it can't tell when an item was
// moved in.
bool changeTimesTell(int fd) {
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0) return false;
    const auto type = static_cast<unsigned long>(fs.f_type);
    return type != MSDOS_SUPER_MAGIC && type != EXFAT_SUPER_MAGIC && type != FUSE_SUPER_MAGIC;
}

}  // namespace

TrashSnapshot TrashSnapshot::take(int trashFd, std::string trashPath, RemoveLog& log,
                                  const EmptyOptions& options) {
    TrashSnapshot s;
    // Before files/ is listed: whatever is listed and changed after this stays.
    s.start_ = EmptyStart::now(options.clockStep);
    s.trashFd_ = trashFd;
    s.path_ = std::move(trashPath);
    s.topDirectory_ = trashTopDirectory(s.path_);
    s.scope_ = scopeOf(trashFd);
    if (!s.scope_) {
        s.errors_.push_back(std::strerror(errno));
        log.failure(s.path_, errno);
        s.complete_ = false;
        return s;
    }
    // Emptying writes to the trash directory itself (expunged/, the size cache).
    struct stat st;
    if (::fstat(trashFd, &st) == 0 && st.st_uid == ::geteuid() &&
        (st.st_mode & S_IRWXU) != S_IRWXU) {
        ::fchmod(trashFd, (st.st_mode & 07777) | S_IRWXU);
    }
    // Deletion dates are local times: in the zone as it is now.
    if (options.keepSeconds > 0) {
        ::tzset();
        s.changeTimesTell_ = changeTimesTell(trashFd);
    }
    if (options.beforeListing) options.beforeListing();
    // files/ before info/: a trashing program writes an item's .trashinfo before it moves the
    // item in, so every listed item's record is listed too.
    s.filesUsable_ = s.openPart(kTrashFiles, log, s.files_);
    s.complete_ &= s.filesUsable_;
    s.infoUsable_ = s.openPart(kTrashInfo, log, s.info_);
    s.complete_ &= s.infoUsable_;
    s.complete_ &= s.openPart(kTrashExpunged, log, s.expunged_);
    s.noteFolderIdentities();
    if (s.files_.fd && inodeOrderHelps(s.files_.fd.get(), s.files_.entries.count())) {
        s.files_.entries.sortByInode();
    }
    return s;
}

// Opens and lists files/, info/ or expunged/. A missing one is empty; one that is a link, on
// another mount or unreadable is logged and left alone (false).
bool TrashSnapshot::openPart(const char* name, RemoveLog& log, Part& part) {
    part.path = path_ + "/" + name;
    const auto fail = [&](const std::string& why) {
        errors_.push_back(std::string(name) + "/: " + why);
        return false;
    };
    OpenedDirectory dir = openDirectoryForRemoval(trashFd_, name, *scope_);
    switch (dir.status) {
        case OpenStatus::Opened:
            break;
        case OpenStatus::Missing:
            return true;
        case OpenStatus::NotDirectory:
            log.note(part.path, "not a directory, left alone");
            return fail("not a directory, left alone");
        case OpenStatus::OtherFileSystem:
            log.note(part.path, "a mount point, left alone");
            return fail("a mount point, left alone");
        case OpenStatus::Failed:
            log.failure(part.path, dir.error);
            return fail(std::strerror(dir.error));
    }
    part.fd = std::move(dir.fd);
    if (int error = listDirectory(part.fd.get(), part.entries)) {
        log.failure(part.path, error);
        part.fd.reset();
        part.entries.clear();
        return fail(std::strerror(error));
    }
    return true;
}

// A folder is moved before it is removed, and removed only when what was moved is the folder
// that was listed: a restored folder whose name a newly trashed one took since stays. The
// listing's inode number can differ from the file's on some overlay set-ups, so ask the file.
void TrashSnapshot::noteFolderIdentities() {
    DirEntry e;
    while (files_.entries.next(e)) {
        if (e.type != DT_DIR && e.type != DT_UNKNOWN) continue;
        struct stat st;
        if (::fstatat(files_.fd.get(), e.name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        files_.entries.setIdentity(e.at, S_ISDIR(st.st_mode) ? DT_DIR : DT_REG, st.st_ino);
    }
    files_.entries.rewind();
}

// Moving a file into the trash or out of it sets its change time to the present, and trashing
// writes its record anew. An item that changed, or whose record was written, since the snapshot
// began was restored and trashed again (the same file or another under its name) or is being
// worked on: it is not what the user emptied, so it stays for the next empty. The record tells
// where a rename leaves the change time alone (exFAT through FUSE), and tells an item trashed
// anew from one being worked on.
//
// With a floor, an item's age is that of its deletion, never of its contents: the later of the
// record's DeletionDate and when the record was written. A date is local time without a zone,
// so read in another zone than it was written in it can seem hours older; the record, written
// as the item was trashed, bounds it (a record copied back later only keeps the item longer).
// An item without a record was moved in when its change time was last set (or later), where
// the file system keeps one.
TrashSnapshot::Outcome TrashSnapshot::check(const DirEntry& item, std::size_t record,
                                            RemoveLog& log, std::int64_t keepSeconds, Look& look) {
    const std::int64_t date = keepSeconds > 0 ? recordDate(record) : kNoDate;
    // Deleted too recently, a second or more before the empty began: it stays whatever
    // happened to it since, so it needs no look (half the items of a floored empty may be
    // such). Later dates take the full look, which tells an item trashed during the empty.
    if (date != kNoDate && start_.deletedAtLeast(date, 1) &&
        !start_.deletedAtLeast(date, keepSeconds)) {
        look.reason = KeptReason::TooRecent;
        return Outcome::Kept;
    }
    struct stat st;
    const bool seen = ::fstatat(files_.fd.get(), item.name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    // Anything but a missing file is left to the removal, which reports it.
    if (!seen && errno == ENOENT) return Outcome::Gone;
    // A record's date was read before anything was removed: one written since the empty began
    // is told by its status, taken now.
    struct stat recordSt;
    const bool recordSeen =
        record != TrashItems::npos && ::fstatat(info_.fd.get(), info_.entries.at(record).name,
                                                &recordSt, AT_SYMLINK_NOFOLLOW) == 0;
    const bool trashedAgain = recordSeen && (start_.changedSince(recordSt.st_ctim) ||
                                             start_.changedSince(recordSt.st_mtim));
    if (trashedAgain || (seen && start_.changedSince(st.st_ctim))) {
        look.reason = trashedAgain ? KeptReason::ArrivedDuringEmpty : KeptReason::Changed;
        log.note(files_.path + "/" + item.name,
                 trashedAgain ? "kept for the next empty: trashed again since this one began"
                              : "kept for the next empty: changed since this one began");
        return Outcome::Kept;
    }
    // A file frees its allocated blocks (a sparse file less than its size) only as its last
    // name; a folder is weighed as its removal goes.
    if (seen && !S_ISDIR(st.st_mode) && st.st_nlink == 1) {
        look.size = static_cast<std::uint64_t>(st.st_blocks) * 512;
    }
    if (keepSeconds <= 0) return Outcome::Removed;

    std::int64_t deleted;
    if (recordSeen) {
        deleted = std::max(date, nanoseconds(recordSt.st_mtim));
    } else if (seen && changeTimesTell_) {
        deleted = nanoseconds(st.st_ctim);
    } else {
        log.note(files_.path + "/" + item.name, "kept: when it was deleted can't be told");
        look.reason = KeptReason::AgeUnknown;
        return Outcome::Failed;
    }
    if (start_.deletedAtLeast(deleted, keepSeconds)) return Outcome::Removed;
    look.reason =
        start_.deletedAtLeast(deleted, 0) ? KeptReason::TooRecent : KeptReason::DatedInFuture;
    return Outcome::Kept;
}

// With a floor every record is read. Read all before anything is removed, in info/'s inode
// order where that helps, they cost less than read one by one between the unlinks in files/'
// order, where the two seek against each other.
void TrashSnapshot::readDeletionDates() {
    dates_.reserve(info_.entries.count());
    if (inodeOrderHelps(info_.fd.get(), info_.entries.count())) info_.entries.sortByInode();
    DirEntry e;
    while (info_.entries.next(e)) {
        if (info_.entries.mark(e.at) != TrashItems::kRecordOfAnItem) continue;
        std::int64_t date = kNoDate;
        if (reader_.read(info_.fd.get(), e.name)) {
            if (auto parsed = parseDeletionDate(reader_.value("DeletionDate"))) date = *parsed;
        }
        dates_.push_back({e.at, date});
    }
    info_.entries.rewind();
    std::sort(dates_.begin(), dates_.end(),
              [](const RecordDate& a, const RecordDate& b) { return a.at < b.at; });
}

std::int64_t TrashSnapshot::recordDate(std::size_t record) const {
    const auto found =
        std::lower_bound(dates_.begin(), dates_.end(), record,
                         [](const RecordDate& d, std::size_t at) { return d.at < at; });
    return found != dates_.end() && found->at == record ? found->date : kNoDate;
}

// Counts the item in `place` and names it while names are left: where it was deleted from,
// as its record says, else where it is in the trash.
void TrashSnapshot::report(const DirEntry& item, std::size_t record, Outcome outcome,
                           const Look& look, EmptyPlace& place, NamesLeft& names) {
    std::vector<EmptyItem>* named = nullptr;
    std::size_t* left = nullptr;
    EmptyItem entry;
    if (outcome == Outcome::Removed) {
        ++place.removed;
        place.bytesFreed += look.size;
        named = &place.removedItems;
        left = &names.removed;
    } else if (outcome == Outcome::Kept || outcome == Outcome::Failed) {
        // A failure is one to remove unless the check could not tell the item's age.
        entry.reason = outcome == Outcome::Failed && look.reason != KeptReason::AgeUnknown &&
                               look.reason != KeptReason::PartlyRemoved
                           ? KeptReason::NotRemoved
                           : look.reason;
        ++place.kept[static_cast<std::size_t>(entry.reason)];
        if (entry.reason == KeptReason::PartlyRemoved) place.bytesFreed += look.size;
        if (namedWhenKept(entry.reason)) {
            named = &place.keptItems;
            left = &names.kept;
        }
    }
    if (!named || *left == 0) return;
    --*left;
    std::string shown;
    if (record != TrashItems::npos && reader_.read(info_.fd.get(), info_.entries.at(record).name)) {
        const std::string_view path = reader_.value("Path");
        if (!path.empty()) shown = originalPath(path, topDirectory_);
    }
    if (shown.empty()) shown = files_.path + "/" + item.name;
    place.name(*named, shown, entry.reason);
    named->back().entriesRemoved = look.tally.removed;
    named->back().entriesLeft = look.tally.left;
}

bool TrashSnapshot::empty(RemoveLog& log, const EmptyOptions& options, EmptyPlace& place,
                          NamesLeft& names) {
    place.place = path_;
    for (const std::string& error : errors_) place.addError(error);
    if (!scope_) return false;
    const std::size_t failedBefore = log.failures(), toldBefore = log.failureLines().size();
    if (options.keepSeconds > 0 && !infoUsable_) {
        // No item's age can be told: none goes, nor anything else of this trash.
        place.kept[static_cast<std::size_t>(KeptReason::AgeUnknown)] += files_.entries.count();
        place.addError("nothing removed: the deletion dates can't be read");
        return false;
    }
    scope_->fencedMountPoints = options.fencedMountPoints;
    TrashItems items(info_.entries);
    items.addItems(files_.entries);
    TreeRemover remover(*scope_, log, options.removalBatch);
    if (options.keepSeconds > 0 && info_.fd) readDeletionDates();

    DirEntry e;
    while (files_.fd && files_.entries.next(e)) {
        const std::size_t record = info_.fd ? items.recordOf(e.view()) : TrashItems::npos;
        Look look;
        const Outcome outcome = removeItem(e, record, remover, log, options, look);
        report(e, record, outcome, look, place, names);
        if (outcome == Outcome::Failed) complete_ = false;
        if (record == TrashItems::npos ||
            (outcome != Outcome::Removed && outcome != Outcome::Gone)) {
            continue;
        }
        const char* recordName = info_.entries.at(record).name;
        if (outcome == Outcome::Gone) {
            // Restored or removed by someone else: its record is an orphan now.
            complete_ &= removeRecordIfOrphan(recordName, log);
        } else if (::unlinkat(info_.fd.get(), recordName, 0) != 0 && errno != ENOENT) {
            log.failure(info_.path + "/" + recordName, errno);
            complete_ = false;
        }
    }

    // With files/ unusable nothing can be told to be an orphan.
    while (filesUsable_ && info_.fd && info_.entries.next(e)) {
        if (info_.entries.mark(e.at) == TrashItems::kOrphan) {
            complete_ &= removeRecordIfOrphan(e.name, log);
        }
    }

    // Left over from deletions that this or another program began and did not finish.
    while (expunged_.fd && expunged_.entries.next(e)) {
        complete_ &= remover.remove(expunged_.fd.get(), e.name, e.type, expunged_.path);
        place.bytesFreed += remover.tally().freed;
    }

    if (::unlinkat(trashFd_, kTrashDirectorySizes, 0) != 0 && errno != ENOENT) {
        log.failure(path_ + "/" + kTrashDirectorySizes, errno);
        complete_ = false;
    }
    // Every failure of this trash goes into the journal too, not only the first.
    const auto& lines = log.failureLines();
    for (std::size_t i = toldBefore; i < lines.size(); ++i) place.addError(lines[i]);
    place.errorsUntold += (log.failures() - failedBefore) - (lines.size() - toldBefore);
    return complete_;
}

TrashSnapshot::Outcome TrashSnapshot::removeItem(const DirEntry& item, std::size_t record,
                                                 TreeRemover& remover, RemoveLog& log,
                                                 const EmptyOptions& options, Look& look) {
    const Outcome checked = check(item, record, log, options.keepSeconds, look);
    if (options.itemChecked) options.itemChecked(item.view());
    if (checked != Outcome::Removed) return checked;
    // A file or link goes in one step, so a restore can't catch it half-removed.
    if (item.type != DT_DIR) {
        if (::unlinkat(files_.fd.get(), item.name, 0) == 0) return Outcome::Removed;
        if (errno == ENOENT) return Outcome::Gone;
        if (errno != EISDIR) {
            log.failure(files_.path + "/" + item.name, errno);
            return Outcome::Failed;
        }
    }
    const Outcome removed = removeFolder(item, remover, log, options, look);
    // It took the name of a restored folder while the empty ran.
    if (removed == Outcome::Kept) look.reason = KeptReason::ArrivedDuringEmpty;
    return removed;
}

TrashSnapshot::Outcome TrashSnapshot::removeFolder(const DirEntry& item, TreeRemover& remover,
                                                   RemoveLog& log, const EmptyOptions& options,
                                                   Look& look) {
    const std::string shown = files_.path + "/" + item.name;
    for (const std::string& fenced : options.fencedMountPoints) {
        if (fenced == shown) {
            log.note(shown, "a mount point, left alone");
            return Outcome::Failed;
        }
    }
    if (!openExpunged(shown, log)) return Outcome::Failed;

    std::string taken;
    int error = EEXIST;
    bool granted = false;
    for (int attempt = 0; attempt < kNameAttempts && error == EEXIST; ++attempt) {
        taken = expungedName();
        error = renameNoReplace(files_.fd.get(), item.name, expunged_.fd.get(), taken.c_str());
        if (error == ENOTEMPTY || error == ENOTDIR) error = EEXIST;  // a plain rename's clash
        // Moving a folder rewrites its "..", so it must be writable: ours can be made so.
        if (error == EACCES && !granted && grantOwnerAccess(files_.fd.get(), item.name)) {
            granted = true;
            error = EEXIST;
        }
    }
    if (error == ENOENT) return Outcome::Gone;
    if (error == EBUSY || error == EXDEV) {
        log.note(shown, "a mount point, left alone");
        return Outcome::Failed;
    }
    if (error != 0) {
        log.failure(shown, error);
        return Outcome::Failed;
    }

    const std::string takenPath = expunged_.path + "/" + taken;
    struct stat st;
    const bool listed =
        ::fstatat(expunged_.fd.get(), taken.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        item.type == DT_DIR && st.st_ino == item.ino;
    if (listed) {
        if (options.folderTaken) options.folderTaken(item.view());
        // Shown under its name in files/, where it returns if it can't go completely.
        const bool whole =
            remover.remove(expunged_.fd.get(), taken.c_str(), DT_DIR, files_.path, item.view());
        look.size = remover.tally().freed;
        if (whole) return Outcome::Removed;
        if (remover.tally().removed > 0) {
            look.reason = KeptReason::PartlyRemoved;
            look.tally = remover.tally();
        }
    }
    if (int back = renameNoReplace(expunged_.fd.get(), taken.c_str(), files_.fd.get(), item.name)) {
        // Gone from expunged/: moved away during its removal, which the remover has told.
        if (back == ENOENT &&
            ::fstatat(expunged_.fd.get(), taken.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            return Outcome::Failed;
        }
        log.note(takenPath, listed ? "what is left of '" + printable(shown) + "'"
                                   : "trashed as '" + printable(shown) + "' during the empty");
        return Outcome::Failed;
    }
    if (listed) return Outcome::Failed;
    log.note(shown, "kept for the next empty: trashed while this one ran");
    return Outcome::Kept;
}

// expunged/ is made when a folder first needs it (its leftovers were listed already). Without
// it a folder can't leave files/, so it stays there with its record.
bool TrashSnapshot::openExpunged(const std::string& folder, RemoveLog& log) {
    if (expunged_.fd) return true;
    if (!expungedUnusable_) {
        expungedUnusable_ = true;
        if (::mkdirat(trashFd_, kTrashExpunged, 0700) != 0 && errno != EEXIST) {
            log.failure(expunged_.path, errno);
        } else {
            OpenedDirectory dir = openDirectoryForRemoval(trashFd_, kTrashExpunged, *scope_);
            if (dir.status == OpenStatus::Opened) {
                expunged_.fd = std::move(dir.fd);
                expungedUnusable_ = false;
                return true;
            }
            if (dir.status == OpenStatus::Failed) {
                log.failure(expunged_.path, dir.error);
            } else {
                log.note(expunged_.path, "not a directory of this trash, left alone");
            }
        }
    }
    log.note(folder, "left in the trash: expunged/ can't be used");
    return false;
}

// Removes the .trashinfo `record` of info/ when its item is not in files/. An item being
// trashed has its record written before it is moved in, so look right before; a record written
// since the empty began is such an item's, on its way in.
bool TrashSnapshot::removeRecordIfOrphan(const char* record, RemoveLog& log) {
    std::string_view name(record);
    const std::string item(name.substr(0, name.size() - kTrashInfoSuffix.size()));
    struct stat st;
    if (files_.fd && !item.empty() &&
        ::fstatat(files_.fd.get(), item.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        return true;
    }
    if (::fstatat(info_.fd.get(), record, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        (start_.changedSince(st.st_ctim) || start_.changedSince(st.st_mtim))) {
        return true;
    }
    if (::unlinkat(info_.fd.get(), record, 0) != 0 && errno != ENOENT) {
        log.failure(info_.path + "/" + record, errno);
        return false;
    }
    return true;
}

bool emptyTrashDirectory(int trashFd, const std::string& trashPath, RemoveLog& log,
                         const EmptyOptions& options, EmptyPlace* place) {
    TrashSnapshot snapshot = TrashSnapshot::take(trashFd, trashPath, log, options);
    if (options.afterSnapshot) options.afterSnapshot();
    EmptyPlace unreported;
    NamesLeft names;
    if (!place) names = {0, 0};
    return snapshot.empty(log, options, place ? *place : unreported, names);
}

}  // namespace tw::linux_platform
