#!/usr/bin/env bash
# Choices survive a restart: a program closed while switched on and set to start in the tray
# comes back hidden in the tray, still switched on, and the icon brings the window back.
source "$(dirname "$0")/lib.sh" "$1"

start_desktop
start_tidewell
wait_for_main_window
click_at 30 163                                # "Daily:"
click_switch
click_start_at_login
click_start_in_tray
wait_until 10 sh -c "grep -q '^Minimized=On' '$XDG_CONFIG_HOME/Quendra/Tidewell.conf'" ||
    fail "Start in system tray was not stored"
[ "$(config_value StartStopState)" = On ] || fail "the switch was not stored"
[ "$(config_value Option2)" = true ] || [ "$(config_value Option2)" = True ] ||
    fail "the daily choice was not stored: $(config_value Option2)"
close_main_window
wait_until 15 sh -c "! kill -0 $TW_PID" || fail "closing did not end the program"
[ "$(config_value StartStopState)" = On ] || fail "closing changed the switch"

start_tidewell 2
wait_until 20 tray_icon || fail "no icon after the restart"
wait_until 15 balloon_shown || fail "no balloon when starting in the tray"
main_window >/dev/null && fail "the window showed although it should start in the tray"
xdotool mousemove --window "$(tray_icon)" 10 10 click 1
wait_for_main_window
screenshot "$E2E_TMP/restored.png"
[ "$(config_value Option2)" = true ] || [ "$(config_value Option2)" = True ] ||
    fail "the restart lost the daily choice"
echo "PASS: settings survive a restart"
