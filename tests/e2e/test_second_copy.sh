#!/usr/bin/env bash
# A second copy ends at once, showing and storing nothing; the first is untouched.
source "$(dirname "$0")/lib.sh" "$1"

start_desktop
start_tidewell
wait_for_main_window
FIRST=$TW_PID
before=$(cat "$XDG_CONFIG_HOME/Quendra/Tidewell.conf" 2>/dev/null || true)

timeout 20 "$TIDEWELL" >"$E2E_TMP/tidewell-second.log" 2>&1
status=$?
[ $status -eq 0 ] || fail "the second copy ended with status $status"
kill -0 "$FIRST" || fail "the first copy ended"
[ "$(xdotool search --onlyvisible --name '^Tidewell$' | wc -l)" -eq 1 ] || fail "more than one window"
[ "$(cat "$XDG_CONFIG_HOME/Quendra/Tidewell.conf" 2>/dev/null || true)" = "$before" ] ||
    fail "the second copy changed the settings"

# A copy that crashed leaves its lock behind; the next start must not be refused.
kill -9 "$FIRST"
wait "$FIRST" 2>/dev/null || true
start_tidewell 3
wait_for_main_window
echo "PASS: second copy"
