#!/usr/bin/env bash
# "Empty Trash Bin Now (Test)", confirmed, empties the Recycle Bin the shell filled.
source "$(dirname "$0")/lib.sh" "$1"

bin_holds() {
    local count
    count=$(recycle_bin_count) || fail "the shell could not count the Recycle Bin's items"
    [ "$count" = "$1" ] || fail "expected $1 items in the Recycle Bin, saw '$count'${2:+ ($2)}"
}

start_desktop
recycle_new_file first.txt
recycle_new_file second.txt
bin_holds 2 "after putting two files into it"

start_tidewell
wait_for_main_window
# Clicked once the window has settled under the window manager, which gives it the focus.
wait_until "$WAIT_SECONDS" main_has_focus || fail "expected the keyboard focus on the new window $MAIN"
screenshot "$E2E_TMP/window.png"

# Answering No keeps everything. The next confirmation shows only once the handler of the first
# has returned, so the count is taken then.
click_empty_now
wait_for_dialog
answer_dialog no
click_empty_now
wait_for_dialog
bin_holds 2 "No was answered"
answer_dialog yes
# The outcome is reported in a box of its own.
wait_for_dialog
answer_dialog ok
bin_empty() { [ "$(recycle_bin_count)" = 0 ]; }
wait_until "$WAIT_SECONDS" bin_empty || bin_holds 0 "after Yes and the outcome's box"
left=$(ls -A "$XDG_DATA_HOME/Trash/files" 2>/dev/null) || true
[ -z "$left" ] || fail "expected no files left in the Trash, saw: $left"
# The empty is on record in the journal under the user's local application data.
local_app_data=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")
journal=$local_app_data/Quendra/Tidewell/journal.log
grep -q asked "$journal" ||
    fail "expected the empty in the journal $journal, whose end is: $(tail -n 5 "$journal" 2>&1)"
tidewell_running || fail "expected the program still running after the empty"
echo "PASS: empty now"
