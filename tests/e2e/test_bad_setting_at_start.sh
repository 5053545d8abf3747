#!/usr/bin/env bash
# Bad settings at start: a stored interval too large to count, or a daily schedule without its
# time, with the switch left on: the start reports it in one box, empties nothing while the box
# is open or afterwards, and the schedule stays off. A settings file that is not one (a FIFO, a
# link to another program's file) neither hangs the start nor is rewritten: it is set aside.
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

accept_dialog "$(error_boxes | head -n1)"
wait_for_main_window
sleep 3
[ -z "$(error_boxes)" ] || fail "the error was reported again"
[ -n "$(trash-list)" ] || fail "emptied after the start"
[ "$(config_value StartStopState)" = On ] || fail "the stored switch was changed"

conf=$XDG_CONFIG_HOME/Quendra/Tidewell.conf
stop_tidewell() {
    kill "$TW_PID"
    wait "$TW_PID" 2>/dev/null || true
    rm -f "$conf" "$conf".damaged*
}

# A daily time that was never stored is no time to empty at: the present second would be.
stop_tidewell
printf '[Tidewell]\nStartStopState=On\nOption2=True\nOption3=False\n' >"$conf"
start_tidewell -daily
wait_for_dialog
sleep 3
screenshot "$E2E_TMP/daily.png"
accept_dialog
wait_for_main_window
sleep 3
[ -n "$(trash-list)" ] || fail "a daily schedule without a time emptied the trash"
[ "$(config_value StartStopState)" = Off ] || fail "the switch was left on for the next start"

# A FIFO at the settings path would block the start forever.
stop_tidewell
mkfifo "$conf"
start_tidewell -fifo
wait_for_dialog 30
screenshot "$E2E_TMP/fifo.png"
accept_dialog
wait_for_main_window
[ -p "$conf.damaged" ] || fail "the FIFO was not set aside"

# A link to a file that is not ours: the link goes aside, the file behind it stays as it was.
cp /etc/passwd "$E2E_TMP/passwd"
stop_tidewell
ln -s "$E2E_TMP/passwd" "$conf"
start_tidewell -link
wait_for_dialog
accept_dialog
wait_for_main_window
cmp -s /etc/passwd "$E2E_TMP/passwd" || fail "the file behind the link was rewritten"
[ -L "$conf.damaged" ] || fail "the link was not set aside"
echo "PASS: a bad setting at start empties nothing"
