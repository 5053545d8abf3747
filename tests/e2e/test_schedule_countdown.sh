#!/usr/bin/env bash
# A user sets "every 0 days, 0 hours, 1 minute", switches on, and finds the trash emptied when
# the minute is up; the schedule is remembered.
source "$(dirname "$0")/lib.sh" "$1"

start_desktop
mkdir -p "$HOME/docs" && echo old >"$HOME/docs/old.txt"
gio trash "$HOME/docs/old.txt"

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
click_switch
wait_until 10 sh -c "grep -q '^StartStopState=On' '$XDG_CONFIG_HOME/Quendra/Tidewell.conf'" ||
    fail "switching on was not stored"
[ "$(config_value Text2)" = 1 ] || fail "minutes not stored: $(config_value Text2)"
[ "$(config_value Text3)" = 0 ] || fail "days not stored: $(config_value Text3)"
# An empty that is rightly not due yet has no event: watch the first seconds of the minute.
wait_until 3 sh -c '[ -z "$(trash-list)" ]' && fail "emptied too early"
screenshot "$E2E_TMP/counting.png"

wait_until 90 sh -c '[ -z "$(trash-list)" ]' || fail "the trash was not emptied within the minute"
[ -z "$(ls -A "$XDG_DATA_HOME/Trash/files")" ] || fail "files/ is not empty"
kill -0 "$TW_PID" || fail "the program ended"
echo "PASS: scheduled empty"
