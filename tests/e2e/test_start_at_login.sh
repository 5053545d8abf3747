#!/usr/bin/env bash
# "Load this software on Windows startup" writes the autostart entry naming the program itself
# and removing the tick removes it; "Start in system tray" then starts hidden in the tray.
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
echo "PASS: start at login"
