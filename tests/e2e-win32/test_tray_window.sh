#!/usr/bin/env bash
# The blue 'Q' sits in the notification area; minimising hides the window behind it, a click
# on the icon or a second launch brings it back (each time with the keyboard focus, as at the
# start), and closing ends the program and takes the icon away.
source "$(dirname "$0")/lib.sh" "$1"

start_with_tray_icon
wait_until 10 main_has_focus || fail "the window started without the keyboard focus"

minimise_main_window "minimising did not hide the window"
screenshot "$E2E_TMP/in-tray.png"
# Hidden, not minimised on the task bar: the window is not mapped at all.
xwininfo -id "$MAIN" | grep -q "IsUnMapped" || fail "the window stayed on the task bar"
sleep 6 # the balloon's five seconds run out

xdotool mousemove --window "$ICON" 8 8 click 1
wait_until 10 main_viewable || fail "a click on the icon did not bring the window back"
wait_until 10 main_has_focus || fail "the window came back from the tray without the focus"
xdotool getwindowgeometry "$MAIN" | grep -q "Geometry: 536x413" || fail "the window came back in another size"

# A second time, with the other button.
minimise_main_window "the second minimise did not hide"
sleep 1
xdotool mousemove --window "$ICON" 8 8 click 3
wait_until 10 main_viewable || fail "a right click on the icon did not bring the window back"

# A second launch ends at once and gives back the running copy's window, hidden or not.
minimise_main_window "the third minimise did not hide"
FIRST_PID=$TW_PID
start_tidewell 2
wait_until 30 sh -c "! kill -0 $TW_PID" || fail "the second copy did not end"
TW_PID=$FIRST_PID
wait_until 10 main_viewable || fail "a second launch did not bring the window back"
wait_until 10 main_has_focus || fail "a second launch gave the window back without the focus"

close_main_window || fail "closing did not end the program"
tray_icon && fail "the icon stayed behind"
echo "PASS: tray and window"
