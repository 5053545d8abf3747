#!/usr/bin/env bash
# A bin on C: of 30 items of 1 MB deleted 1 to 30 days ago and "Keep the Trash under" 0.01 GB:
# Tidewell started with the schedule on leaves the 10 newest and the journal names the 20 that
# went. With "Keep Recent Items" 15 as well, the 15 newest stay.
source "$(dirname "$0")/lib.sh" "$1"

# item-1 .. item-30 in this user's bin on C:, item-N deleted an hour short of N days ago. One
# more file goes in through the shell: Wine's shell counts only its own bin, and the empty asks
# the shell whether there is anything at all.
fill_bin() {
    local n items=()
    for n in $(seq 1 30); do items+=("item-$n" 1048576 $((n * 24 - 1))); done
    wine "$RECYCLE_TOOL" record "${items[@]}" || fail "could not write the items into the bin"
    recycle_new_file "shell-$1.txt"
}
# The settings in one registry import: one Wine program, not one per key.
settings() {
    local file=$E2E_TMP/settings.reg
    printf '%s\r\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Quendra\Tidewell]' \
        '"StartStopState"="On"' '"Option3"="True"' '"Text3"="1"' '"Text11"="0"' '"Text2"="0"' \
        "\"Keep Days\"=\"$1\"" '"Max Trash GB"="0.01"' >"$file"
    wine regedit /s "$(winepath -w "$file")" || fail "can't store the settings"
}
bin_items() { ls "$WINEPREFIX"/drive_c/\$Recycle.Bin/*/ 2>/dev/null | sed -n 's/^\$I//p' | sort -t- -k2 -n | tr '\n' ' '; }
bin_at_most() { [ "$(bin_items | wc -w)" -le "$1" ]; }
newest() { seq -f 'item-%g' 1 "$1" | tr '\n' ' '; }

start_desktop
local_app_data=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")
journal=$local_app_data/Quendra/Tidewell/journal.log
fill_bin 1
settings 0
start_tidewell
wait_for_main_window
wait_until "$WAIT_SECONDS" bin_at_most 10 || fail "the bin was not brought under the limit: $(bin_items)"
[ "$(bin_items)" = "$(newest 10)" ] || fail "expected the 10 newest to stay; left: $(bin_items)"
wait_until "$WAIT_SECONDS" grep -q "size-limit empty" "$journal" ||
    fail "no size-limit block in the journal: $(tail -n 5 "$journal" 2>&1)"
for n in $(seq 11 30); do
    grep -qF "removed C:\\item-$n" "$journal" || fail "the journal does not name item-$n"
done
screenshot "$E2E_TMP/under-the-limit.png"
close_main_window

# The recent items alone pass the limit: they stay, the older go.
rm -rf "$WINEPREFIX"/drive_c/\$Recycle.Bin/*/*
fill_bin 2
settings 15
start_tidewell 2
wait_for_main_window
wait_until "$WAIT_SECONDS" bin_at_most 15 || fail "the items past the floor did not go: $(bin_items)"
[ "$(bin_items)" = "$(newest 15)" ] || fail "expected the 15 newest to stay; left: $(bin_items)"
tidewell_running || fail "expected the program still running"
echo "PASS: the bin kept under its size"
