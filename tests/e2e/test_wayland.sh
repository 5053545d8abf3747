#!/usr/bin/env bash
# Under a Wayland compositor (Weston): the window shows, empty-now and a scheduled empty work,
# and minimising, with no notification area on offer, leaves the window to the compositor (a
# Wayland program is never told that it was minimised); a second launch still ends at once.
# Weston runs with its X11 back end inside Xvfb only so that xdotool can click and type into it
# and import can take screenshots; the program itself speaks Wayland (QT_QPA_PLATFORM=wayland).
source "$(dirname "$0")/lib.sh" "$1"

exec 9>"$E2E_TMP/display"
Xvfb -displayfd 9 -screen 0 800x600x24 -nolisten tcp >"$E2E_TMP/xvfb.log" 2>&1 &
PIDS+=($!)
wait_until 20 test -s "$E2E_TMP/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$E2E_TMP/display")"
# No on-screen keyboard over the window: the test types on the X keyboard.
printf '[input-method]\npath=/bin/true\n' >"$E2E_TMP/weston.ini"
weston --backend=x11-backend.so --use-pixman --width=800 --height=600 --socket=tidewell-e2e \
    --config="$E2E_TMP/weston.ini" --log="$E2E_TMP/weston.log" >/dev/null 2>&1 &
PIDS+=($!)
wait_until 20 test -S "$XDG_RUNTIME_DIR/tidewell-e2e" || fail "Weston did not start"
sleep 1

mkdir -p "$HOME/docs"
echo now >"$HOME/docs/now.txt"
gio trash "$HOME/docs/now.txt"
WAYLAND_DISPLAY=tidewell-e2e QT_QPA_PLATFORM=wayland "$TIDEWELL" >"$E2E_TMP/tidewell.log" 2>&1 &
TW_PID=$!
PIDS+=("$TW_PID")

# The compositor places the window where it likes; the client area is the one white
# rectangle of the window's size below Weston's panel.
PANEL=32
client_area() {
    import -window root "$E2E_TMP/screen.png"
    convert "$E2E_TMP/screen.png" -crop 800x$((600 - PANEL))+0+$PANEL +repage \
        -fill black +opaque "#ffffff" -trim info: | cut -d' ' -f3-4
}
find_window() {
    local area
    area=$(client_area)
    [[ $area =~ ^536x475\ [0-9]+x[0-9]+\+([0-9]+)\+([0-9]+)$ ]] || return 1
    CX=${BASH_REMATCH[1]}
    CY=$((BASH_REMATCH[2] + PANEL))
}
wait_until 30 find_window || fail "the window did not appear: $(client_area)"
# Weston moves its pointer by the X pointer's relative motion, from where it last was: both are
# first pushed into the top-left corner, where they meet.
click_at() {
    xdotool mousemove 0 0 sleep 0.3 mousemove $((CX + $1)) $((CY + $2)) sleep 0.3 click 1
}

# No window list to ask on Wayland: a message box shows as the main window's title turning
# grey, as another window (the box) has the keyboard. Enter must not go to the main window,
# where it presses the focused button.
main_active() {
    import -window root "$E2E_TMP/title.png"
    [ "$(convert "$E2E_TMP/title.png" -crop 80x12+$((CX + 225))+$((CY - 23)) +repage \
        -colorspace gray -format '%[fx:minima < 0.4]' info:)" = 1 ]
}
box_active() { ! main_active; }
wait_until 20 main_active || fail "the window does not have the keyboard"
click_at 268 329                   # "Empty Trash Bin Now (Test)"
wait_until 20 box_active || fail "no message box after empty-now"
xdotool key Return                 # "Are you sure ...?" - Yes
wait_until 20 sh -c '[ -z "$(trash-list)" ]' || fail "empty-now left the trash: $(trash-list)"
wait_until 20 box_active || fail "no box after emptying"
xdotool key Return                 # "Done."
wait_until 20 main_active || fail "the box did not close"

echo later >"$HOME/docs/later.txt"
gio trash "$HOME/docs/later.txt"
type_into() {
    click_at "$1" "$2"
    xdotool key ctrl+a
    xdotool type --delay 50 "$3"
}
type_into 144 133 0
type_into 224 133 0
type_into 312 133 1
click_at 268 295                   # "Turn On"
wait_until 10 sh -c "grep -q '^StartStopState=On' '$XDG_CONFIG_HOME/Quendra/Tidewell.conf'" ||
    fail "switching on was not stored"
wait_until 90 sh -c '[ -z "$(trash-list)" ]' || fail "the scheduled empty did not come"
screenshot "$E2E_TMP/wayland.png"

# The minimise button of the window's title bar, which Qt draws itself on Weston.
click_at $((536 - 58)) -17
window_gone() { ! find_window; }
wait_until 10 window_gone || fail "minimising did not take the window off the screen"
kill -0 "$TW_PID" || fail "the program ended"
timeout 20 env WAYLAND_DISPLAY=tidewell-e2e QT_QPA_PLATFORM=wayland "$TIDEWELL" \
    >"$E2E_TMP/tidewell-second.log" 2>&1 || fail "the second copy ended with status $?"
echo "PASS: Wayland"
