#!/usr/bin/env bash
# The window can't be lost: a second launch brings the hidden window back (and still ends at
# once with status 0), and a notification area that goes away while the window hides behind
# its icon gives the window back, minimised on the task bar.
source "$(dirname "$0")/lib.sh" "$1"

start_with_tray_icon

minimise_main_window "minimising did not hide the window"
start=$SECONDS
timeout 20 "$TIDEWELL" >"$E2E_TMP/tidewell-second.log" 2>&1 || fail "the second copy ended with status $?"
[ $((SECONDS - start)) -le 5 ] || fail "the second copy took $((SECONDS - start)) s to end"
wait_until 10 main_viewable || fail "a second launch did not show the hidden window"
in_front() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$MAIN" ]; }
wait_until 15 in_front || fail "the shown window is not in front"
[ "$(xdotool search --onlyvisible --name '^Tidewell$' | wc -l)" -eq 1 ] || fail "more than one window"

# Hidden again, the panel goes away and a window manager without one takes over.
minimise_main_window "the second minimise did not hide"
kill "${PIDS[1]}"
printf 'ShowTaskBar=0\n' >"$E2E_TMP/no-panel.prefs"
icewm -c "$E2E_TMP/no-panel.prefs" >"$E2E_TMP/icewm2.log" 2>&1 &
PIDS+=($!)
iconic() { xprop -id "$MAIN" WM_STATE 2>/dev/null | grep -q Iconic; }
listed() { xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$MAIN")"; }
wait_until 20 iconic || fail "the window did not come back minimised when the tray went away"
wait_until 10 listed || fail "the window that came back is not on the task bar"
screenshot "$E2E_TMP/back.png"
kill -0 "$TW_PID" || fail "the program ended"
echo "PASS: the window comes back"
