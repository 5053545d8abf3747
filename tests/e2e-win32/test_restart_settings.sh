#!/usr/bin/env bash
# Choices land in the registry at once and survive a restart: "Daily:", the days box and
# "Start in system tray", which makes the next start go straight into the tray.
source "$(dirname "$0")/lib.sh" "$1"

start_desktop
start_tidewell
wait_for_main_window
[ "$(setting Option3)" = "" ] || fail "settings were written before any choice"

click_daily
wait_until 10 setting_is Option2 True ||
    fail "choosing Daily: was not stored"
[ "$(setting Option3)" = False ] || fail "Empty every: was not stored as cleared"

click_days_box
xdotool key --clearmodifiers ctrl+a 4
wait_until 10 setting_is Text3 4 ||
    fail "the days box was not stored: '$(setting Text3)'"

click_start_in_tray
wait_until 10 setting_is Minimized On ||
    fail "Start in system tray was not stored"
main_viewable || fail "Start in system tray hid the window now"

close_main_window
wait_until 15 sh -c "! kill -0 $TW_PID" || fail "closing did not end the program"

start_tidewell 2
wait_until 30 tray_icon || fail "no icon in the notification area after the restart"
sleep 3
main_window && fail "the window showed although it starts in the tray"
xdotool mousemove --window "$(tray_icon)" 8 8 click 1
wait_for_main_window 15
screenshot "$E2E_TMP/restored.png"
# Nothing the restart restored was written back changed.
[ "$(setting Option2)" = True ] || fail "Option2 is '$(setting Option2)' after the restart"
[ "$(setting Option3)" = False ] || fail "Option3 is '$(setting Option3)' after the restart"
[ "$(setting Text3)" = 4 ] || fail "Text3 is '$(setting Text3)' after the restart"
[ "$(setting Minimized)" = On ] || fail "Minimized is '$(setting Minimized)' after the restart"
close_main_window
wait_until 15 sh -c "! kill -0 $TW_PID" || fail "closing did not end the program"
echo "PASS: settings across a restart"
