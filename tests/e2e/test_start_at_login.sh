#!/usr/bin/env bash
# "Load this software on Windows startup" writes the autostart entry naming the program itself
# and removing the tick removes it; "Start in system tray" then starts hidden in the tray. A
# tick restored at start is made true: an entry that was removed, or that names a program no
# longer there, is written again for this copy.
source "$(dirname "$0")/lib.sh" "$1"

entry=$XDG_CONFIG_HOME/autostart/$(basename "$TIDEWELL").desktop
start_desktop
start_tidewell
wait_for_main_window

click_start_at_login
wait_until 10 test -f "$entry" || fail "no autostart entry was written"
grep -qx 'Type=Application' "$entry" || fail "entry lacks Type=Application"
grep -qx 'Name=Tidewell' "$entry" || fail "entry lacks Name=Tidewell"
grep -qxF "Exec=\"$TIDEWELL\"" "$entry" || fail "entry does not run this program: $(grep Exec "$entry")"
grep -qxF "TryExec=$TIDEWELL" "$entry" || fail "entry is not skipped once the program is gone"
[ "$(config_value 'Windows%20Startup')" = On ] || [ "$(config_value 'Windows Startup')" = On ] ||
    fail "the choice was not stored"

click_start_in_tray
wait_until 10 sh -c "grep -q '^Minimized=On' '$XDG_CONFIG_HOME/Quendra/Tidewell.conf'" ||
    fail "Start in system tray was not stored"
main_window >/dev/null || fail "checking Start in system tray hid the window"

click_start_at_login
wait_until 10 test ! -e "$entry" || fail "unticking did not remove the entry"
grep -q '^Minimized=Off' "$XDG_CONFIG_HOME/Quendra/Tidewell.conf" ||
    fail "unticking start at login did not clear Start in system tray"

restart() {
    kill "$TW_PID"
    wait "$TW_PID" 2>/dev/null || true
    start_tidewell "$1"
    wait_for_main_window
}
# An uninstaller removed the entry and kept the settings.
sed -i 's/^Windows%20Startup=.*/Windows%20Startup=On/' "$XDG_CONFIG_HOME/Quendra/Tidewell.conf"
restart -removed
grep -qxF "TryExec=$TIDEWELL" "$entry" || fail "a ticked box at start left no entry"
# The program moved: the entry names a file that is gone.
sed -i "s|$TIDEWELL|/nonexistent/tidewell|g" "$entry"
restart -moved
grep -qxF "TryExec=$TIDEWELL" "$entry" || fail "a ticked box at start left an entry to a gone file"
# An entry that starts this copy is left as it is.
before=$(stat -c %i "$entry")
restart -kept
[ "$(stat -c %i "$entry")" = "$before" ] || fail "restoring the box rewrote a sound entry"
echo "PASS: start at login"
