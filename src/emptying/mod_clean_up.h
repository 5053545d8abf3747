#pragma once

// modCleanUp: empties the recycle bins of all drives through the shell.

#include <cstdint>
#include <string>

#include "platform/services/recycle_bin_shell.h"

namespace tw {

class Form1;

namespace modCleanUp {

// Pauses the countdown, shows the busy pointer and status while the bins are emptied, and
// reports the outcome unless `Silent`. Never raises: it reports its own errors.
void EmptyTrash(Form1& form, const bool& Silent);
// Brings the bins down to `limitBytes`, their oldest items first, keeping the floor of
// scheduled empties; the countdown goes on meanwhile. Told as a scheduled empty is: never a box.
void PurgeOverLimit(Form1& form, std::uint64_t limitBytes);

namespace detail {
// The drive walk: counts the bin of each fixed drive, then, when any holds items, empties
// every bin once, keeping what `order` keeps; what it did goes into `report`. True when at
// least one fixed drive was examined and nothing failed; else `failure` says why, in words for
// the user.
bool EmptyDriveBins(RecycleBinShell& shell, WindowHandle activeForm, const EmptyOrder& order,
                    EmptyReport& report, std::string& failure);
}  // namespace detail

}  // namespace modCleanUp
}  // namespace tw
