#!/usr/bin/env bash
# A Trash of 30 items of 1 MB deleted 1 to 30 days ago and "Keep the Trash under" 0.01 GB:
# Tidewell started with the schedule on leaves the 10 newest and the journal names the 20 that
# went. With "Keep Recent Items" 15 as well, the 15 newest stay.
source "$(dirname "$0")/lib.sh" "$1"

# Trashes item-1 .. item-30, item-N deleted an hour short of N days ago by its record and the
# record's own time (so "Keep Recent Items" 15 keeps item-15).
fill_trash() {
    mkdir -p "$HOME/docs"
    for n in $(seq 1 30); do
        head -c 1048576 /dev/zero >"$HOME/docs/item-$n"
        gio trash "$HOME/docs/item-$n"
        local record=$XDG_DATA_HOME/Trash/info/item-$n.trashinfo
        local when="$((n * 24 - 1)) hours ago"
        sed -i "s/^DeletionDate=.*/DeletionDate=$(date -d "$when" +%Y-%m-%dT%H:%M:%S)/" "$record"
        touch -d "$when" "$record"
    done
}
settings() {
    mkdir -p "$XDG_CONFIG_HOME/Quendra"
    printf '[Tidewell]\nStartStopState=On\nOption3=True\nText3=1\nText11=0\nText2=0\n%s\n%s\n' \
        "Keep%20Days=$1" "Max%20Trash%20GB=0.01" >"$XDG_CONFIG_HOME/Quendra/Tidewell.conf"
}
# The items left, newest first, on one line.
left() { ls "$XDG_DATA_HOME/Trash/files" | sort -t- -k2 -n | tr '\n' ' '; }
newest() { seq -f 'item-%g' 1 "$1" | tr '\n' ' '; }
journal=$HOME/.local/state/tidewell/journal.log

start_desktop
fill_trash
settings 0
start_tidewell
wait_for_main_window
wait_until 60 sh -c "[ \$(ls '$XDG_DATA_HOME/Trash/files' | wc -l) -le 10 ]" ||
    fail "the Trash was not brought under the limit: $(left)"
[ "$(left)" = "$(newest 10)" ] || fail "expected the 10 newest to stay; left: $(left)"
wait_until 5 grep -q "size-limit empty" "$journal" || fail "no size-limit block: $(cat "$journal" 2>&1)"
for n in $(seq 11 30); do
    grep -q "removed $HOME/docs/item-$n\$" "$journal" || fail "the journal does not name item-$n"
done
screenshot "$E2E_TMP/under-the-limit.png"
close_main_window
wait_until 15 sh -c "! kill -0 $TW_PID" || fail "closing did not end the program"

# The recent items alone pass the limit: they stay, the older go.
rm -rf "$XDG_DATA_HOME/Trash"
fill_trash
settings 15
start_tidewell 2
wait_for_main_window
wait_until 60 sh -c "[ \$(ls '$XDG_DATA_HOME/Trash/files' | wc -l) -le 15 ]" ||
    fail "the items past the floor did not go: $(left)"
[ "$(left)" = "$(newest 15)" ] || fail "expected the 15 newest to stay; left: $(left)"
kill -0 "$TW_PID" || fail "the program ended"
echo "PASS: the Trash kept under its size"
