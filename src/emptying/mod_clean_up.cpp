#include "emptying/mod_clean_up.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/product.h"
#include "emptying/journal_entry.h"
#include "model/keep_recent.h"
#include "platform/shared/error_reporter.h"
#include "runtime/checked_int32.h"
#include "runtime/error_trap.h"
#include "runtime/errors.h"

namespace tw::modCleanUp {

namespace {

constexpr std::uint32_t kDriveBufferLength = 260;
constexpr std::uint32_t kEmptyQuietly = kEmptyNoConfirmation | kEmptyNoProgressUi | kEmptyNoSound;

// The root paths of the drive list, in the order the system lists them. The buffer grows when
// the system says 260 characters are too few, so no drive is ever left out.
std::vector<std::string> driveRoots(RecycleBinShell& shell) {
    std::string buffer(kDriveBufferLength, ' ');
    std::uint32_t written = shell.getLogicalDriveStrings(kDriveBufferLength, buffer.data());
    if (written > buffer.size()) {
        buffer.assign(written, ' ');
        written = shell.getLogicalDriveStrings(written, buffer.data());
        if (written > buffer.size()) written = 0;  // the list grew again meanwhile
    }
    const std::string text = buffer.substr(0, written);

    // The kept text ends with the NUL after the last root path, so splitting it yields the
    // paths and one empty entry after them, which is not a drive.
    std::vector<std::string> entries;
    std::size_t start = 0;
    for (std::size_t nul; (nul = text.find('\0', start)) != std::string::npos; start = nul + 1) {
        entries.push_back(text.substr(start, nul - start));
    }
    entries.push_back(text.substr(start));
    entries.pop_back();
    return entries;
}

}  // namespace

namespace detail {

bool EmptyDriveBins(RecycleBinShell& shell, WindowHandle activeForm, const EmptyOrder& order,
                    EmptyReport& report, std::string& failure) {
    failure.clear();
    bool fixedDrive = false;
    bool anyItems = false;
    try {
        if (activeForm == 0) throw AppError(91, "Object variable or With block variable not set");
        // Every fixed drive is asked before anything goes: a drive whose bin can't be counted
        // ends the walk with nothing emptied.
        for (const std::string& root : driveRoots(shell)) {
            if (shell.getDriveType(root) != DriveType::Fixed) continue;
            RecycleBinQuery query{};
            query.cbSize = sizeof(RecycleBinQuery);
            shell.queryRecycleBin(root, query);
            anyItems |= checked::add(query.itemsLow, query.itemsHigh) > 0;
            fixedDrive = true;
        }
        if (!fixedDrive) {
            failure = "no drive with a Recycle Bin was found.";
            return false;
        }
        // One empty of every bin: each bin is listed once, as the empty begins.
        if (anyItems) {
            // A bin that could not be emptied completely is a failure the user must see.
            if (shell.emptyRecycleBin(activeForm, nullptr, kEmptyQuietly, order, report) !=
                kShellOk) {
                failure = "some items could not be removed.";
                return false;
            }
            shell.updateRecycleBinIcon();
        }
    } catch (const std::exception& e) {
        // A drive the walk did not reach may hold what was to go, so the empty failed.
        failure = std::string(e.what()) + ".";
        return false;
    }
    return true;
}

}  // namespace detail

namespace {

// The walk over the drives away from the window's thread, then its journal: every empty's
// core. False when it did not empty; `failure` says why.
struct Walk {
    bool emptied = false;
    std::string failure;
    std::string journalTrouble;
};
Walk walkAndJournal(Form1& form, ErrorTrap& trap, int line, EmptyCause cause,
                    const std::optional<std::int64_t>& keepSeconds, std::uint64_t limitBytes) {
    const LocalDateTime began = form.services().clock.now();  // for the journal
    Walk walk;
    // A floor that can't be read empties nothing (below): such an empty keeps everything.
    const EmptyOrder order{keepSeconds.value_or(kKeepEverythingSeconds), limitBytes};
    EmptyReport report;
    // The main window is the active form for as long as it exists, shown or hidden in the
    // tray: scheduled empties run exactly when no window of ours has the focus.
    trap.run(line, [&] {
        if (!keepSeconds) {
            walk.failure =
                "the days under \"Keep Recent Items\" are not a number of 0 or more, so "
                "nothing was deleted.";
            return;
        }
        const WindowHandle owner = form.Form.handle();
        form.services().recycleBin.walkDrives([&](RecycleBinShell& shell) {
            walk.emptied = detail::EmptyDriveBins(shell, owner, order, report, walk.failure);
        });
    });
    // On record before any box waits, whatever the empty did, half-way included.
    walk.journalTrouble =
        form.JournalEmpty(began, cause, order, report, walk.emptied, walk.failure);
    return walk;
}

}  // namespace

void EmptyTrash(Form1& form, const bool& Silent) {
    ErrorTrap trap(errorBox(form.services().messageBox), "modCleanUp", "EmptyTrash");
    auto say = [&](const char* text) {
        form.services().messageBox.show(text, form.AppTitle, MsgButtons::Ok, MsgIcon::None);
    };
    trap.run(100, [&] { form.Timer1.setTimerEnabled(false); });
    trap.run(102, [&] { form.Form.setMousePointer(controls::kPointerHourglass); });
    trap.run(104, [&] { form.services().pump.processEvents(); });
    trap.run(106, [&] { form.Frame2.setCaption("Deleting files from Recycling Bin... "); });
    // A scheduled empty keeps what was deleted within the days of "Keep Recent Items" as it
    // starts (never fewer than before the user began typing there); one the user asked for
    // keeps nothing back.
    const std::optional<std::int64_t> keepSeconds =
        Silent ? form.policy().scheduledKeepSeconds() : std::optional<std::int64_t>(0);
    const Walk walk = walkAndJournal(
        form, trap, 108, Silent ? EmptyCause::Scheduled : EmptyCause::Asked, keepSeconds, 0);
    if (!walk.emptied) {
        if (trap.test(110, [&] { return !Silent; })) {
            trap.run(112, [&] { say("Error encountered while emptying files in Recycle Bin."); });
        }
    } else if (trap.test(114, [&] { return !Silent; })) {
        trap.run(116, [&] { say("Done."); });
    }
    // No box may wait for a scheduled empty, which runs when nobody may be looking.
    if (Silent) form.TellScheduledEmpty(walk.emptied ? std::string() : walk.failure);
    form.TellJournalTrouble(walk.journalTrouble, Silent, walk.emptied);
    trap.run(118, [&] { form.Frame2.setCaption("Off."); });
    trap.run(120, [&] { form.Timer1.setTimerEnabled(true); });
    trap.run(122, [&] { form.Form.setMousePointer(controls::kPointerDefault); });
}

void PurgeOverLimit(Form1& form, std::uint64_t limitBytes) {
    ErrorTrap trap(errorBox(form.services().messageBox), "modCleanUp", "PurgeOverLimit");
    // The countdown goes on: its ticks wait at the gate meanwhile and are credited after.
    const std::string caption = form.Frame2.caption();
    trap.run(100, [&] { form.Form.setMousePointer(controls::kPointerHourglass); });
    trap.run(102, [&] { form.Frame2.setCaption("Deleting files from Recycling Bin... "); });
    const Walk walk = walkAndJournal(form, trap, 104, EmptyCause::SizeLimit,
                                     form.policy().scheduledKeepSeconds(), limitBytes);
    form.TellScheduledEmpty(walk.emptied ? std::string() : walk.failure,
                            "Keeping the Trash under its size failed: ");
    form.TellJournalTrouble(walk.journalTrouble, true, walk.emptied);
    trap.run(106, [&] { form.Frame2.setCaption(caption); });
    trap.run(108, [&] { form.Form.setMousePointer(controls::kPointerDefault); });
}

}  // namespace tw::modCleanUp

namespace tw {

void Form1::EmptyOnSchedule() {
    const bool silent = true;
    modCleanUp::EmptyTrash(*this, silent);
}

void Form1::TellScheduledEmpty(const std::string& failure, const char* what) {
    if (failure.empty()) {
        emptyFailuresTold_.clear();
        statusFailure_.clear();
        ShowStatusTip();
        return;
    }
    const std::string text = what + failure;
    statusFailure_ = text;
    ShowStatusTip();
    // Each kind once: an empty that fails the same way every minute is told the first time.
    if (!emptyFailuresTold_.insert(failure).second) return;
    if (cSysTray1.InTray() && services_.notificationArea.isAvailable()) {
        cSysTray1.ShowBalloon(text, kProductName, 0, false);
    }
}

void Form1::ShowStatusTip() {
    std::string tip;
    for (const std::string* part : {&statusFailure_, &sizeWatch_.pastLimit, &sizeWatch_.preview}) {
        if (part->empty()) continue;
        tip += (tip.empty() ? "" : "\n") + *part;
    }
    Frame2.setToolTip(tip);
}

// A journal that can't be kept must not stop an empty or change its outcome.
std::string Form1::JournalEmpty(const LocalDateTime& began, EmptyCause cause,
                                const EmptyOrder& order, const EmptyReport& report, bool emptied,
                                const std::string& failure) {
    const EmptyOutcome outcome{emptied, failure};
    std::string trouble;
    try {
        if (!FoundNothing(report, outcome)) {
            journalNothingRun_ = 0;
            return services_.journal.append(JournalEntry(began, cause, order, report, outcome));
        }
        if (journalNothingRun_++ == 0) journalNothingSince_ = began;
        const std::string line = JournalNothingRun(journalNothingSince_, began, journalNothingRun_,
                                                   cause, order, report);
        trouble = journalNothingRun_ == 1 ? services_.journal.append(line)
                                          : services_.journal.replaceLast(line);
    } catch (const std::exception& e) {
        trouble = e.what();
    }
    // What was not written starts a run of its own.
    if (!trouble.empty()) journalNothingRun_ = 0;
    return trouble;
}

void Form1::TellJournalTrouble(const std::string& trouble, bool Silent, bool emptied) {
    if (trouble.empty() || journalTroubleTold_) return;
    const std::string text = "Tidewell could not keep its journal of empties: " + trouble +
                             ". Emptying goes on as before.";
    if (!Silent) {
        guarded({}, [&] {
            services_.messageBox.show(text, kProductName, MsgButtons::Ok, MsgIcon::Warning);
        });
    } else if (emptied && cSysTray1.InTray() && services_.notificationArea.isAvailable()) {
        // A balloon, not a box: nobody may be there to close a box after a scheduled empty.
        guarded({}, [&] { cSysTray1.ShowBalloon(text, kProductName, 0, false); });
    } else {
        return;
    }
    journalTroubleTold_ = true;
}

}  // namespace tw
