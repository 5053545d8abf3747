#include "platform/linux/trash_empty.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>

#include "platform/linux/deletion_date.h"
#include "platform/linux/directory_sizes.h"
#include "platform/linux/trash_layout.h"
#include "platform/linux/trash_sizing.h"

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

std::uint64_t hashOf(std::string_view name) {
    return std::hash<std::string_view>{}(name);
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
    // Deletion dates are local times: in the zone as it is now. Read whether or not this
    // snapshot's empty keeps a floor: the order may come only after the listing.
    ::tzset();
    s.changeTimesTell_ = changeTimesTell(trashFd);
    if (options.beforeListing) options.beforeListing();
    const std::size_t batchBytes =
        options.listingBatchBytes ? options.listingBatchBytes : kBatchBytes;
    // files/ before info/: a trashing program writes an item's .trashinfo before it moves the
    // item in, so every listed item's record is listed too.
    s.filesUsable_ = s.openPart(kTrashFiles, log, s.files_) && s.listFiles(log, batchBytes);
    s.complete_ &= s.filesUsable_;
    s.infoUsable_ = s.openPart(kTrashInfo, log, s.info_) && s.listInfo(log, batchBytes);
    s.complete_ &= s.infoUsable_;
    // Its leftovers are few (a folder each empty that was cut short): listed whole.
    s.complete_ &= s.openPart(kTrashExpunged, log, s.expunged_);
    if (s.expunged_.fd && !s.listed(kTrashExpunged, s.expunged_,
                                    listDirectory(s.expunged_.fd.get(), s.leftovers_), log)) {
        s.leftovers_.clear();
        s.complete_ = false;
    }
    return s;
}

// Opens files/, info/ or expunged/. A missing one is empty; one that is a link or on another
// mount is logged and left alone (false).
bool TrashSnapshot::openPart(const char* name, RemoveLog& log, Part& part) {
    part.path = path_ + "/" + name;
    OpenedDirectory dir = openDirectoryForRemoval(trashFd_, name, *scope_);
    switch (dir.status) {
        case OpenStatus::Opened:
            break;
        case OpenStatus::Missing:
            return true;
        case OpenStatus::NotDirectory:
            log.note(part.path, "not a directory, left alone");
            errors_.push_back(std::string(name) + "/: not a directory, left alone");
            return false;
        case OpenStatus::OtherFileSystem:
            log.note(part.path, "a mount point, left alone");
            errors_.push_back(std::string(name) + "/: a mount point, left alone");
            return false;
        case OpenStatus::Failed:
            log.failure(part.path, dir.error);
            errors_.push_back(std::string(name) + "/: " + std::strerror(dir.error));
            return false;
    }
    part.fd = std::move(dir.fd);
    return true;
}

// A part whose listing failed (`error`) is logged and left alone: nothing in it is removed.
bool TrashSnapshot::listed(const char* name, Part& part, int error, RemoveLog& log) {
    if (error == 0) return true;
    log.failure(part.path, error);
    errors_.push_back(std::string(name) + "/: " + std::strerror(error));
    part.fd.reset();
    return false;
}

// What files/ holds is kept as one fingerprint a name, whatever the trash holds; the names
// themselves are read again while removing, a batch at a time, and only those listed here go.
//
// A folder is moved before it is removed, and removed only when what was moved is the folder
// that was listed: a restored folder whose name a newly trashed one took since stays. The
// listing's inode number can differ from the file's on some overlay set-ups, so ask the file.
bool TrashSnapshot::listFiles(RemoveLog& log, std::size_t batchBytes) {
    if (!files_.fd) return true;
    PackedEntries batch;
    const int error = listDirectoryInBatches(
        files_.fd.get(), batch,
        [&](PackedEntries& b) {
            DirEntry e;
            while (b.next(e)) {
                listed_.add(e.view());
                if (e.type != DT_DIR && e.type != DT_UNKNOWN) continue;
                struct stat st;
                if (::fstatat(files_.fd.get(), e.name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                    if (S_ISDIR(st.st_mode)) folders_.emplace_back(hashOf(e.view()), st.st_ino);
                } else if (e.type == DT_DIR) {
                    folders_.emplace_back(hashOf(e.view()), e.ino);
                }
            }
        },
        batchBytes);
    listed_.seal();
    std::sort(folders_.begin(), folders_.end());
    return listed(kTrashFiles, files_, error, log);
}

// Marks each listed item whose record info/ holds; the other records are orphans.
bool TrashSnapshot::listInfo(RemoveLog& log, std::size_t batchBytes) {
    if (!info_.fd) return true;
    const int error = eachRecord(batchBytes, [&](const DirEntry& record, std::size_t item) {
        if (item != ListedNames::npos) {
            withRecord_ += !listed_.flag(item, kHasRecord);
            listed_.setFlag(item, kHasRecord);
        } else {
            orphans_.add(record.view());
        }
    });
    orphans_.seal();
    return listed(kTrashInfo, info_, error, log);
}

int TrashSnapshot::eachRecord(std::size_t batchBytes,
                              const std::function<void(const DirEntry&, std::size_t)>& onRecord) {
    PackedEntries batch;
    return listDirectoryInBatches(
        info_.fd.get(), batch,
        [&](PackedEntries& b) {
            DirEntry e;
            while (b.next(e)) {
                if (!isTrashInfoRecord(e)) continue;
                const std::string_view name = e.view();
                onRecord(e, listed_.find(name.substr(0, name.size() - kTrashInfoSuffix.size())));
            }
        },
        batchBytes);
}

ino_t TrashSnapshot::folderIdentity(std::string_view name) const {
    const std::uint64_t hash = hashOf(name);
    const auto found = std::lower_bound(folders_.begin(), folders_.end(),
                                        std::pair<std::uint64_t, ino_t>(hash, 0));
    return found != folders_.end() && found->first == hash ? found->second : 0;
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
TrashSnapshot::Outcome TrashSnapshot::check(const Item& item, RemoveLog& log,
                                            std::int64_t keepSeconds, Look& look) {
    const bool aged = keepSeconds > 0 || deletedBy_;
    const std::int64_t date = aged ? item.date : kNoDate;
    // Deleted too recently, a second or more before the empty began: it stays whatever
    // happened to it since, so it needs no look (half the items of a floored empty may be
    // such). Later dates take the full look, which tells an item trashed during the empty.
    // The record's own time only makes an item younger, so a date after the size limit's
    // cutoff keeps it too.
    if (date != kNoDate && start_.deletedAtLeast(date, 1) &&
        (!start_.deletedAtLeast(date, keepSeconds) || (deletedBy_ && date > *deletedBy_))) {
        look.reason = KeptReason::TooRecent;
        return Outcome::Kept;
    }
    struct stat st;
    const bool seen = ::fstatat(files_.fd.get(), item.entry.name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    // Anything but a missing file is left to the removal, which reports it.
    if (!seen && errno == ENOENT) return Outcome::Gone;
    // A record's date was read before its item was looked at: one written since the empty
    // began is told by its status, taken now.
    struct stat recordSt;
    const bool recordSeen = item.hasRecord && ::fstatat(info_.fd.get(), item.record.c_str(),
                                                        &recordSt, AT_SYMLINK_NOFOLLOW) == 0;
    const bool trashedAgain = recordSeen && (start_.changedSince(recordSt.st_ctim) ||
                                             start_.changedSince(recordSt.st_mtim));
    if (trashedAgain || (seen && start_.changedSince(st.st_ctim))) {
        look.reason = trashedAgain ? KeptReason::ArrivedDuringEmpty : KeptReason::Changed;
        log.note(files_.path + "/" + item.entry.name,
                 trashedAgain ? "kept for the next empty: trashed again since this one began"
                              : "kept for the next empty: changed since this one began");
        return Outcome::Kept;
    }
    // A file frees its allocated blocks (a sparse file less than its size) only as its last
    // name; a folder is weighed as its removal goes.
    if (seen && !S_ISDIR(st.st_mode) && st.st_nlink == 1) {
        look.size = static_cast<std::uint64_t>(st.st_blocks) * 512;
    }
    if (!aged) return Outcome::Removed;

    std::int64_t deleted;
    if (recordSeen) {
        deleted = *deletionMoment(date, &recordSt);
    } else if (seen && changeTimesTell_ && !deletedBy_) {
        // The size limit goes by records alone, as its choice did.
        deleted = nanoseconds(st.st_ctim);
    } else {
        log.note(files_.path + "/" + item.entry.name, "kept: when it was deleted can't be told");
        look.reason = KeptReason::AgeUnknown;
        return Outcome::Failed;
    }
    if (start_.deletedAtLeast(deleted, keepSeconds) && (!deletedBy_ || deleted <= *deletedBy_)) {
        return Outcome::Removed;
    }
    look.reason =
        start_.deletedAtLeast(deleted, 0) ? KeptReason::TooRecent : KeptReason::DatedInFuture;
    return Outcome::Kept;
}

// With a floor every record of a batch is read before any of its items is removed: read in a
// row they cost less than read one by one between the unlinks, where the two seek against each
// other. `dates` gets one per entry of the batch, in its order.
void TrashSnapshot::readDeletionDates(PackedEntries& batch, std::vector<std::int64_t>& dates) {
    dates.assign(batch.count(), kNoDate);
    std::string record;
    DirEntry e;
    for (std::size_t n = 0; batch.next(e); ++n) {
        const std::size_t at = listed_.find(e.view());
        if (at == ListedNames::npos || listed_.flag(at, kHandled) ||
            !listed_.flag(at, kHasRecord)) {
            continue;
        }
        if (!weighedDates_.empty() && weighedDates_[at] != kNotWeighed) {
            dates[n] = weighedDates_[at];
            continue;
        }
        record.assign(e.name).append(kTrashInfoSuffix);
        if (reader_.read(info_.fd.get(), record.c_str())) {
            if (auto parsed = parseDeletionDate(reader_.value("DeletionDate"))) dates[n] = *parsed;
        }
    }
    batch.rewind();
}

// Counts the item in `place` and names it while names are left: where it was deleted from,
// as its record says, else where it is in the trash.
void TrashSnapshot::report(const Item& item, Outcome outcome, const Look& look, EmptyPlace& place,
                           NamesLeft& names) {
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
    if (item.hasRecord && reader_.read(info_.fd.get(), item.record.c_str())) {
        const std::string_view path = reader_.value("Path");
        if (!path.empty()) shown = originalPath(path, topDirectory_);
    }
    if (shown.empty()) shown = files_.path + "/" + item.entry.name;
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
    deletedBy_ = options.deletedBy;
    if ((options.keepSeconds > 0 || deletedBy_) && !infoUsable_) {
        // No item's age can be told: none goes, nor anything else of this trash.
        place.kept[static_cast<std::size_t>(KeptReason::AgeUnknown)] += listed_.size();
        place.addError("nothing removed: the deletion dates can't be read");
        return false;
    }
    scope_->fencedMountPoints = options.fencedMountPoints;
    TreeRemover remover(*scope_, log, options.removalBatch);
    PackedEntries batch;
    const std::size_t batchBytes =
        options.listingBatchBytes ? options.listingBatchBytes : kBatchBytes;

    // files/ is read again, a batch at a time; of what it holds now only what was listed goes.
    if (files_.fd) {
        const int error = listDirectoryInBatches(
            files_.fd.get(), batch,
            [&](PackedEntries& b) { emptyBatch(b, remover, log, options, place, names); },
            batchBytes);
        if (error) {
            log.failure(files_.path, error);
            complete_ = false;
        }
    }

    // The records listed as orphans, and those of items gone since they were listed, when there
    // are any: info/ is read again for their names. With files/ unusable nothing can be told
    // to be an orphan.
    if (filesUsable_ && info_.fd && (orphans_.size() > 0 || handledWithRecord_ < withRecord_)) {
        const int error = eachRecord(batchBytes, [&](const DirEntry& record, std::size_t item) {
            const bool orphan =
                item != ListedNames::npos
                    ? listed_.flag(item, kHasRecord) && !listed_.flag(item, kHandled)
                    : orphans_.find(record.view()) != ListedNames::npos;
            if (orphan) complete_ &= removeRecordIfOrphan(record.name, log);
        });
        if (error) {
            log.failure(info_.path, error);
            complete_ = false;
        }
    }

    // Left over from deletions that this or another program began and did not finish.
    DirEntry e;
    while (expunged_.fd && leftovers_.next(e)) {
        complete_ &= remover.remove(expunged_.fd.get(), e.name, e.type, expunged_.path);
        place.bytesFreed += remover.tally().freed;
    }

    pruneFolderSizes(place);
    // Every failure of this trash goes into the journal too, not only the first.
    const auto& lines = log.failureLines();
    for (std::size_t i = toldBefore; i < lines.size(); ++i) place.addError(lines[i]);
    place.errorsUntold += (log.failures() - failedBefore) - (lines.size() - toldBefore);
    return complete_;
}

void TrashSnapshot::emptyBatch(PackedEntries& batch, TreeRemover& remover, RemoveLog& log,
                               const EmptyOptions& options, EmptyPlace& place, NamesLeft& names) {
    if (inodeOrderHelps(files_.fd.get(), batch.count())) batch.sortByInode();
    if (options.keepSeconds > 0 || deletedBy_) readDeletionDates(batch, dates_);
    Item item;
    DirEntry e;
    for (std::size_t n = 0; batch.next(e); ++n) {
        const std::size_t at = listed_.find(e.view());
        // Not listed: it came since. Met before: put back after a failed removal, or a listing
        // that hands out a name twice.
        if (at == ListedNames::npos || listed_.flag(at, kHandled)) continue;
        listed_.setFlag(at, kHandled);
        item.entry = e;
        // As it was listed: a folder, with the inode it had then, or something else.
        item.entry.ino = folderIdentity(e.view());
        item.entry.type = item.entry.ino != 0 ? DT_DIR : DT_REG;
        item.hasRecord = info_.fd && listed_.flag(at, kHasRecord);
        handledWithRecord_ += item.hasRecord;
        item.record.assign(e.name).append(kTrashInfoSuffix);
        item.date = options.keepSeconds > 0 || deletedBy_ ? dates_[n] : kNoDate;

        Look look;
        const Outcome outcome = removeItem(item, remover, log, options, look);
        report(item, outcome, look, place, names);
        if (outcome == Outcome::Failed) complete_ = false;
        if (!item.hasRecord || (outcome != Outcome::Removed && outcome != Outcome::Gone)) {
            continue;
        }
        if (outcome == Outcome::Gone) {
            // Restored or removed by someone else: its record is an orphan now.
            complete_ &= removeRecordIfOrphan(item.record.c_str(), log);
        } else if (::unlinkat(info_.fd.get(), item.record.c_str(), 0) != 0 && errno != ENOENT) {
            log.failure(info_.path + "/" + item.record, errno);
            complete_ = false;
        }
    }
}

TrashSnapshot::Outcome TrashSnapshot::removeItem(const Item& item, TreeRemover& remover,
                                                 RemoveLog& log, const EmptyOptions& options,
                                                 Look& look) {
    const Outcome checked = check(item, log, options.keepSeconds, look);
    if (options.itemChecked) options.itemChecked(item.entry.view());
    if (checked != Outcome::Removed) return checked;
    // A file or link goes in one step, so a restore can't catch it half-removed.
    if (item.entry.type != DT_DIR) {
        if (::unlinkat(files_.fd.get(), item.entry.name, 0) == 0) return Outcome::Removed;
        if (errno == ENOENT) return Outcome::Gone;
        if (errno != EISDIR) {
            log.failure(files_.path + "/" + item.entry.name, errno);
            return Outcome::Failed;
        }
    }
    const Outcome removed = removeFolder(item.entry, remover, log, options, look);
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
    if (files_.fd && !item.empty()) {
        if (::fstatat(files_.fd.get(), item.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return true;
        // Only a record whose item is surely not there is an orphan: one that can't be looked
        // at may be on its way in.
        if (errno != ENOENT) {
            log.failure(files_.path + "/" + item, errno);
            return false;
        }
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

void TrashSnapshot::weigh(const EmptyOptions& options, std::vector<AgedSize>& removable,
                          std::uint64_t& total) {
    if (!files_.fd || !scope_) return;
    weighedDates_.assign(listed_.size(), kNotWeighed);
    FolderSizes folders(trashFd_, *scope_, nullptr);
    PackedEntries batch;
    std::string record;
    const int error = listDirectoryInBatches(
        files_.fd.get(), batch,
        [&](PackedEntries& b) {
            DirEntry e;
            while (b.next(e)) {
                const std::size_t at = listed_.find(e.view());
                // Not listed: trashed since, and no part of this empty.
                if (at == ListedNames::npos || weighedDates_[at] != kNotWeighed) continue;
                struct stat st;
                if (::fstatat(files_.fd.get(), e.name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
                std::int64_t date = kNoDate;
                struct stat recordSt;
                bool recordSeen = false;
                if (info_.fd && listed_.flag(at, kHasRecord)) {
                    record.assign(e.name).append(kTrashInfoSuffix);
                    recordSeen = reader_.read(info_.fd.get(), record.c_str(), &recordSt);
                    if (recordSeen) {
                        if (auto parsed = parseDeletionDate(reader_.value("DeletionDate"))) {
                            date = *parsed;
                        }
                    } else {
                        recordSeen = ::fstatat(info_.fd.get(), record.c_str(), &recordSt,
                                               AT_SYMLINK_NOFOLLOW) == 0;
                    }
                }
                weighedDates_[at] = date;
                const std::uint64_t bytes =
                    S_ISDIR(st.st_mode)
                        ? folders.folderBytes(
                              files_.fd.get(), e.name,
                              recordSeen ? std::optional<std::int64_t>(recordSt.st_mtim.tv_sec)
                                         : std::nullopt)
                        : allocatedBytes(st);
                total += bytes;
                const auto deleted = deletionMoment(date, recordSeen ? &recordSt : nullptr);
                if (deleted && start_.deletedAtLeast(*deleted, options.keepSeconds)) {
                    removable.push_back({*deleted, bytes});
                }
            }
        },
        options.listingBatchBytes ? options.listingBatchBytes : kBatchBytes);
    // What could not be weighed counts for nothing: the limit then removes less, never more.
    if (error) errors_.push_back(std::string("files/: ") + std::strerror(error));
    if (std::string why = folders.finish(trashFd_, nullptr); !why.empty()) {
        errors_.push_back(std::move(why));
    }
}

// The cache's lines stay for the folders the empty left (a floor's, a limit's, or one that
// could not go): they are as true as before, and a file manager need not walk those folders
// again. A cache that is not ours is left alone.
void TrashSnapshot::pruneFolderSizes(EmptyPlace& place) {
    if (!files_.fd) return;
    DirectorySizes sizes = DirectorySizes::load(trashFd_, fileSystemBytes(trashFd_));
    if (!sizes.usable()) {
        place.addError(sizes.error());
        return;
    }
    if (sizes.size() == 0) return;
    sizes.retain([&](const std::string& name) {
        struct stat st;
        return ::fstatat(files_.fd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
               S_ISDIR(st.st_mode);
    });
    if (std::string why = sizes.save(trashFd_); !why.empty()) place.addError(why);
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
