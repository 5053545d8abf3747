#pragma once

// Emptying one trash directory. Only what was in the trash when the empty began is removed,
// and an item restored or trashed while the empty runs is never lost.

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/linux/dir_entries.h"
#include "platform/linux/empty_start.h"
#include "platform/linux/remove_log.h"
#include "platform/linux/trash_info.h"
#include "platform/linux/trash_limit.h"
#include "platform/linux/trash_remove.h"
#include "platform/linux/unique_fd.h"
#include "platform/services/empty_report.h"

namespace tw::linux_platform {

struct EmptyOptions {
    // Items deleted less than this many seconds before the empty began stay (see EmptyOrder).
    // 0 removes everything listed, and reads no record but those of the items a report names.
    std::int64_t keepSeconds = 0;
    // With a size limit: of what the floor lets go, only items deleted no later than this
    // moment (ns since the epoch; see limitCutoff) go, and only those whose record tells when
    // they were deleted. Nothing: the floor alone decides.
    std::optional<std::int64_t> deletedBy;
    // Absolute paths of mount points below the trash directory (from mountinfo): left alone.
    std::vector<std::string> fencedMountPoints;
    // Test seams for work that happens while an empty runs, each at a moment where another
    // program's work changes what the empty may do. beforeListing runs once the moment the
    // empty began is taken and before files/ is listed; afterSnapshot once every entry to
    // remove has been listed and before any is removed; itemChecked once an item of files/ has
    // been looked at (found as listed, changed or gone) and before that is acted on;
    // folderTaken once a folder item (shown by its name in files/) has left files/ and before
    // its contents go. clockStep steps the real-time clock as the empty reads it.
    std::function<void()> beforeListing;
    std::function<void()> afterSnapshot;
    std::function<void(std::string_view item)> itemChecked;
    std::function<void(std::string_view item)> folderTaken;
    TreeRemover::BatchHook removalBatch;  // see TreeRemover
    ClockStep clockStep;
    // Bytes of names read from a listing at a time (0: TrashSnapshot's own): a test makes the
    // batches small so that removals and listings interleave as they do in a large trash.
    std::size_t listingBatchBytes = 0;
};

// How many more items a report may name, removed and kept (EmptyReport::kMaxNamed each).
struct NamesLeft {
    std::size_t removed = EmptyReport::kMaxNamed;
    std::size_t kept = EmptyReport::kMaxNamed;
};

// What one trash directory held when an empty began: only that is removed.
class TrashSnapshot {
  public:
    // Lists files/, info/ and expunged/ of the trash directory `trashFd` (already opened and
    // checked; shown as `trashPath`). What can't be listed is logged and left alone.
    static TrashSnapshot take(int trashFd, std::string trashPath, RemoveLog& log,
                              const EmptyOptions& options = {});

    // Removes the listed items: a file or link is removed where it is; a folder is first
    // moved into expunged/ (so a restore racing the empty either gets the whole folder or
    // finds it gone) and removed there. An item's .trashinfo goes after the item, so an
    // interrupted empty leaves nothing that points at a missing item but an orphan, which the
    // next empty removes. An item no longer in files/ when its turn comes is skipped; one
    // that changed, or whose .trashinfo was written, since the snapshot began stays (see
    // EmptyStart), and is named in the log as kept; a folder that can't be removed completely
    // goes back to files/ with its .trashinfo. Then the listed orphans and the leftovers listed
    // in expunged/; the directorysizes cache keeps the lines of the folders left. What can't be
    // removed is logged and the rest goes on. With a floor (options.keepSeconds) an item goes
    // only when it was deleted long enough before the empty began; one kept for that is no
    // failure and is not logged. A size limit's cutoff (options.deletedBy) keeps what was
    // deleted after it the same way. Without info/ neither can be kept, so then nothing is
    // removed. `place` gets what became of the items
    // of files/, naming as many as `names` allows. True when everything listed went or was kept
    // on purpose.
    bool empty(RemoveLog& log, const EmptyOptions& options, EmptyPlace& place, NamesLeft& names);

    // For a size limit, before empty(): sizes and dates every item listed (see trash_sizing.h)
    // and adds its size to `total`; one the floor of options.keepSeconds lets go and whose record
    // tells its age is added to `removable` too. Folders measured are added to the trash's
    // directorysizes cache. The dates read are kept for the removal, which so reads no record
    // twice.
    void weigh(const EmptyOptions& options, std::vector<AgedSize>& removable, std::uint64_t& total);

  private:
    struct Part {
        UniqueFd fd;
        std::string path;
    };
    enum class Outcome { Removed, Gone, Failed, Kept };
    // What the check learnt of an item.
    struct Look {
        KeptReason reason = KeptReason::NotRemoved;  // why it is kept, when it is
        // What the file system gets back: a file's or link's blocks, when its last name; what
        // the removal of a folder (or of part of it) freed.
        std::uint64_t size = 0;
        TreeRemover::Tally tally;  // of a folder partly removed
    };
    // An item of files/ as listed at the start, met again while removing: its name now, and
    // what the snapshot holds of it.
    struct Item {
        DirEntry entry;          // name from the listing in hand; type and inode as at start
        bool hasRecord = false;  // its .trashinfo was listed at the start
        std::string record;      // the name of its .trashinfo
        std::int64_t date = 0;   // its record's DeletionDate, with a floor; kNoDate when none
    };
    static constexpr std::int64_t kNoDate = std::numeric_limits<std::int64_t>::min();
    static constexpr std::int64_t kNotWeighed = kNoDate + 1;
    // Flags of listed_: the item's record was listed at the start; the item was met again.
    static constexpr std::uint64_t kHasRecord = ListedNames::kFlagA;
    static constexpr std::uint64_t kHandled = ListedNames::kFlagB;
    // Listings are read and worked through this many bytes of names at a time: what an empty
    // holds is bounded by it and by 8 bytes a listed name (ListedNames).
    static constexpr std::size_t kBatchBytes = 1 << 20;

    bool openPart(const char* name, RemoveLog& log, Part& part);
    bool listed(const char* name, Part& part, int error, RemoveLog& log);
    bool listFiles(RemoveLog& log, std::size_t batchBytes);
    bool listInfo(RemoveLog& log, std::size_t batchBytes);
    // Reads info/ again, a batch at a time, handing each record with the index of its item
    // among those listed (ListedNames::npos for none); returns the listing's error.
    int eachRecord(std::size_t batchBytes,
                   const std::function<void(const DirEntry&, std::size_t)>& onRecord);
    // Gone or Kept when what is at the item's name now is not the item that was listed, or
    // not as it was, or (with a floor) was deleted too recently; Failed when its age can't be
    // told; Removed (go ahead) otherwise.
    Outcome check(const Item& item, RemoveLog& log, std::int64_t keepSeconds, Look& look);
    // Works through one batch of the listing of files/ taken while removing: the items listed
    // at the start and not met before.
    void emptyBatch(PackedEntries& batch, TreeRemover& remover, RemoveLog& log,
                    const EmptyOptions& options, EmptyPlace& place, NamesLeft& names);
    void readDeletionDates(PackedEntries& batch, std::vector<std::int64_t>& dates);
    Outcome removeItem(const Item& item, TreeRemover& remover, RemoveLog& log,
                       const EmptyOptions& options, Look& look);
    void report(const Item& item, Outcome outcome, const Look& look, EmptyPlace& place,
                NamesLeft& names);
    Outcome removeFolder(const DirEntry& item, TreeRemover& remover, RemoveLog& log,
                         const EmptyOptions& options, Look& look);
    bool openExpunged(const std::string& folder, RemoveLog& log);
    bool removeRecordIfOrphan(const char* record, RemoveLog& log);
    // Keeps the lines of the directorysizes cache whose folders are still in files/.
    void pruneFolderSizes(EmptyPlace& place);
    // The inode the item `name` had when listed as a folder; 0 when it was not listed as one.
    ino_t folderIdentity(std::string_view name) const;

    int trashFd_ = -1;
    EmptyStart start_;  // taken before anything is listed
    std::string path_;
    std::optional<RemoveScope> scope_;
    bool complete_ = true;
    bool filesUsable_ = false;         // listed, or missing (then nothing is in it)
    bool infoUsable_ = false;          // the same for info/
    std::vector<std::string> errors_;  // why parts of the trash could not be listed
    std::string topDirectory_;         // what relative Path values start from
    bool changeTimesTell_ = true;      // whether an item's change time tells when it was moved in
    TrashInfoReader reader_;
    std::vector<std::int64_t> dates_;  // with a floor, of the batch in hand
    // Of each listed item (by its place in listed_), the DeletionDate weigh() read.
    std::vector<std::int64_t> weighedDates_;
    std::optional<std::int64_t> deletedBy_;  // see EmptyOptions
    bool expungedUnusable_ = false;
    Part files_, info_;
    ListedNames listed_;          // files/ at the start (flags kHasRecord, kHandled)
    ListedNames orphans_;         // the records of info/ at the start whose item was not listed
    std::size_t withRecord_ = 0;  // listed items whose record was listed
    std::size_t handledWithRecord_ = 0;  // of those, met again while removing
    // (hash of its name, inode) of each folder item as listed: few, beside the files
    std::vector<std::pair<std::uint64_t, ino_t>> folders_;
    Part expunged_;
    PackedEntries leftovers_;  // what expunged/ held when the empty began
};

// Takes the snapshot of one trash directory and empties it (see TrashSnapshot), reporting to
// `place` when given.
bool emptyTrashDirectory(int trashFd, const std::string& trashPath, RemoveLog& log,
                         const EmptyOptions& options = {}, EmptyPlace* place = nullptr);

}  // namespace tw::linux_platform
