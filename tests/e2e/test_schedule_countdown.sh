#!/usr/bin/env bash
# A user sets "every 0 days, 0 hours, 1 minute" and "Keep Recent Items" 30 days, switches on,
# and when the minute is up finds gone only what was deleted more than 30 days ago, the rest
# kept and both told in the journal; the schedule is remembered.
source "$(dirname "$0")/lib.sh" "$1"

start_desktop
mkdir -p "$HOME/docs" && echo old >"$HOME/docs/old.txt"
gio trash "$HOME/docs/old.txt"
# Deleted 40 days ago, as its record and the record's own time say.
sed -i "s/^DeletionDate=.*/DeletionDate=$(date -d '40 days ago' +%Y-%m-%dT%H:%M:%S)/" \
    "$XDG_DATA_HOME/Trash/info/old.txt.trashinfo"
touch -d '40 days ago' "$XDG_DATA_HOME/Trash/info/old.txt.trashinfo"
echo recent >"$HOME/docs/recent.txt"
gio trash "$HOME/docs/recent.txt"

start_tidewell
wait_for_main_window
# Days, hours, minutes boxes: entering a box selects its text, so typing replaces it.
type_into() {
    click_at "$1" "$2"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 50 "$3"
}
type_into 144 133 0    # days
type_into 224 133 0    # hours
type_into 312 133 1    # minutes
type_into 336 382 30   # days kept back
click_switch
wait_until 10 sh -c "grep -q '^StartStopState=On' '$XDG_CONFIG_HOME/Quendra/Tidewell.conf'" ||
    fail "switching on was not stored"
[ "$(config_value Text2)" = 1 ] || fail "minutes not stored: $(config_value Text2)"
[ "$(config_value Text3)" = 0 ] || fail "days not stored: $(config_value Text3)"
[ "$(config_value 'Keep%20Days')" = 30 ] || fail "days kept back not stored: $(config_value 'Keep%20Days')"
# An empty that is rightly not due yet has no event: watch the first seconds of the minute.
wait_until 3 sh -c '! trash-list | grep -q old.txt' && fail "emptied too early"
screenshot "$E2E_TMP/counting.png"

wait_until 90 sh -c '! trash-list | grep -q old.txt' || fail "the old item did not go within the minute"
[ "$(ls -A "$XDG_DATA_HOME/Trash/files")" = recent.txt ] ||
    fail "the recent item was not kept alone: $(ls -A "$XDG_DATA_HOME/Trash/files")"
journal=$HOME/.local/state/tidewell/journal.log
wait_until 5 grep -q "removed $HOME/docs/old.txt" "$journal" ||
    fail "the journal does not say what went: $(cat "$journal" 2>&1)"
# Kept as too recent: counted, not named, or every empty would name it again.
grep -q "kept 1 too recent" "$journal" && ! grep -q recent.txt "$journal" ||
    fail "the journal does not count what stayed: $(cat "$journal")"
kill -0 "$TW_PID" || fail "the program ended"
echo "PASS: scheduled empty"
