#!/usr/bin/env bash
# Choices land in the registry at once and survive a restart: "Daily:", the days box and
# "Start in system tray", which makes the next start go straight into the tray.
source "$(dirname "$0")/lib.sh" "$1"

start_desktop
start_tidewell
wait_for_main_window
[ "$(setting Option3)" = "" ] || fail "settings were written before any choice"

# A click that comes while the window is still settling may be lost: the same click again is
# harmless for an option button and for typing over the whole box.
attempt_until 3 "setting_is Option2 True" click_daily || fail "choosing Daily: was not stored"
[ "$(setting Option3)" = False ] || fail "Empty every: was not stored as cleared"

type_days() {
    click_days_box
    sleep 0.3
    xdotool key --clearmodifiers ctrl+a 4
}
attempt_until 3 "setting_is Text3 4" type_days ||
    fail "the days box was not stored: '$(setting Text3)'"

# A toggle: clicked again only while it has not been stored as on.
attempt_until 3 "setting_is Minimized On" click_start_in_tray ||
    fail "Start in system tray was not stored"
main_viewable || fail "Start in system tray hid the window now"

close_main_window || fail "closing did not end the program"

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
close_main_window || fail "closing did not end the program"
echo "PASS: settings across a restart"
