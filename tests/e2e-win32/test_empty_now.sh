#!/usr/bin/env bash
# "Empty Trash Bin Now (Test)", confirmed, empties the Recycle Bin the shell filled.
source "$(dirname "$0")/lib.sh" "$1"

start_desktop
recycle_new_file first.txt
recycle_new_file second.txt
[ "$(recycle_bin_count)" = 2 ] || fail "the Recycle Bin does not hold the two files"

start_tidewell
wait_for_main_window
screenshot "$E2E_TMP/window.png"

# Answering No keeps everything.
click_empty_now
wait_for_dialog
answer_dialog no
sleep 1
[ "$(recycle_bin_count)" = 2 ] || fail "No emptied the Recycle Bin"

click_empty_now
wait_for_dialog
answer_dialog yes
# The outcome is reported in a box of its own.
wait_for_dialog
answer_dialog ok
wait_until 20 sh -c "[ \"\$(wine '$RECYCLE_TOOL' count | tr -d '\r')\" = 0 ]" ||
    fail "the Recycle Bin still holds $(recycle_bin_count) items"
[ -z "$(ls -A "$XDG_DATA_HOME/Trash/files" 2>/dev/null)" ] || fail "files are left in the Trash"
# The empty is on record in the journal under the user's local application data.
local_app_data=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")
grep -q asked "$local_app_data/Quendra/Tidewell/journal.log" ||
    fail "the empty is not in the journal under $local_app_data"
tidewell_running || fail "the program ended"
echo "PASS: empty now"
