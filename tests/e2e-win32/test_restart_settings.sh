#!/usr/bin/env bash
# Choices land in the registry at once and survive a restart: "Daily:", the days box and
# "Start in system tray", which makes the next start go straight into the tray.
source "$(dirname "$0")/lib.sh" "$1"

start_desktop
start_tidewell
wait_for_main_window
[ -z "$(setting Option3)" ] || fail "expected no settings before any choice, saw Option3 = '$(setting Option3)'"
# Clicked once the window has settled under the window manager, which gives it the focus.
wait_until "$WAIT_SECONDS" main_has_focus || fail "expected the keyboard focus on the new window $MAIN"

click_daily
wait_for_setting Option2 True "choosing Daily:"
[ "$(setting Option3)" = False ] || fail "expected Empty every: stored as False, saw '$(setting Option3)'"

# The keys go to whichever control holds the focus when they arrive: typed only once the click
# has given it to the box.
click_days_box
wait_until "$WAIT_SECONDS" focus_at 144 133 ||
    fail "expected the days box (at 144,133) to take the focus, saw it on: $(focus_at 144 133)"
xdotool key --clearmodifiers ctrl+a 4
wait_for_setting Text3 4 "typing 4 into the days box"

click_start_in_tray
wait_for_setting Minimized On "ticking Start in system tray"
main_viewable || fail "expected the window to stay shown after ticking Start in system tray"

close_main_window

# From the start of the second run until its icon is clicked, the window never shows.
start_tidewell 2
(
    until main_window >/dev/null; do sleep "$POLL_SECONDS"; done
    echo "the window showed at $SECONDS s although it starts in the tray" >"$E2E_TMP/shown"
) &
WATCH=$!
PIDS+=("$WATCH")
wait_for_tray_icon
kill "$WATCH" 2>/dev/null || true
wait "$WATCH" 2>/dev/null || true
[ ! -s "$E2E_TMP/shown" ] || fail "$(cat "$E2E_TMP/shown")"
xdotool mousemove --window "$ICON" 8 8 click 1
wait_for_main_window
screenshot "$E2E_TMP/restored.png"
# Nothing the restart restored was written back changed.
for expected in Option2=True Option3=False Text3=4 Minimized=On; do
    [ "$(setting "${expected%%=*}")" = "${expected#*=}" ] ||
        fail "expected $expected after the restart, saw '$(setting "${expected%%=*}")'"
done
close_main_window
echo "PASS: settings across a restart"
