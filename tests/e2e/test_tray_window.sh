#!/usr/bin/env bash
# The blue 'Q' sits in the notification area; minimising hides the window behind it with one
# balloon per run, a click on the icon brings the window back, and closing ends everything.
source "$(dirname "$0")/lib.sh" "$1"

start_with_tray_icon

minimise_main_window "minimising did not hide the window"
screenshot "$E2E_TMP/balloon.png"
wait_until 15 balloon_shown || fail "no balloon on the first minimise"
wait_until 15 balloon_gone || fail "the balloon stayed past its five seconds"

xdotool mousemove --window "$ICON" 10 10 click 1
wait_until 10 main_viewable || fail "a left click on the icon did not bring the window back"

minimise_main_window "the second minimise did not hide"
# No event marks a balloon that is rightly not shown (and a click on the icon would hide
# one), so look for it as long as the first one was given to appear.
wait_until 15 balloon_shown && fail "a second balloon in the same run"
xdotool mousemove --window "$ICON" 10 10 click 3
wait_until 10 main_viewable || fail "a right click on the icon did not bring the window back"

close_main_window
wait_until 15 sh -c "! kill -0 $TW_PID" || fail "closing did not end the program"
[[ $(xwininfo -root -tree) == *'"tidewell"'* ]] && fail "the icon stayed behind"
echo "PASS: tray and window"
