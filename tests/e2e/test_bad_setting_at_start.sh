#!/usr/bin/env bash
# A stored interval too large to count, with the switch left on: the start reports it in one
# box, empties nothing while the box is open or afterwards, and the schedule stays off.
source "$(dirname "$0")/lib.sh" "$1"

mkdir -p "$XDG_CONFIG_HOME/Quendra" "$HOME/docs"
printf '[Tidewell]\nStartStopState=On\nText11=99999999999\n' >"$XDG_CONFIG_HOME/Quendra/Tidewell.conf"
start_desktop
echo keep >"$HOME/docs/keep.txt"
gio trash "$HOME/docs/keep.txt"

error_boxes() { xdotool search --onlyvisible --name '^Application Error$' 2>/dev/null || true; }
start_tidewell
wait_until 30 sh -c "xdotool search --onlyvisible --name '^Application Error$'" ||
    fail "the failing start was not reported"
sleep 3 # the switched-on timer would tick every second while the box is open
screenshot "$E2E_TMP/box.png"
[ "$(error_boxes | wc -l)" = 1 ] || fail "more than one error box"
[ -n "$(trash-list)" ] || fail "emptied while the box was open"

xdotool windowactivate --sync "$(error_boxes | head -n1)" 2>/dev/null || true
xdotool key --clearmodifiers Return
wait_for_main_window
sleep 3
[ -z "$(error_boxes)" ] || fail "the error was reported again"
[ -n "$(trash-list)" ] || fail "emptied after the start"
[ "$(config_value StartStopState)" = On ] || fail "the stored switch was changed"
echo "PASS: a bad setting at start empties nothing"
