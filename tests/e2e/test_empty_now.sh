#!/usr/bin/env bash
# A user fills the trash with real clients, clicks "Empty Trash Bin Now (Test)", confirms, and
# finds the trash empty; "Show Journal" then shows the journal, which says so.
source "$(dirname "$0")/lib.sh" "$1"

start_desktop
mkdir -p "$HOME/docs"
for name in report.txt "with space.txt" $'new\nline' -dash; do
    printf 'data\n' >"$HOME/docs/$name"
done
mkdir -p "$HOME/docs/folder/inner" && echo x >"$HOME/docs/folder/inner/file"
echo keep >"$HOME/outside.txt"
ln -s "$HOME/outside.txt" "$HOME/docs/link"
gio trash "$HOME/docs/report.txt" "$HOME/docs/with space.txt" "$HOME/docs/folder"
trash-put "$HOME/docs/"$'new\nline' "$HOME/docs/-dash" "$HOME/docs/link"
[ "$(trash-list | wc -l)" -ge 6 ] || fail "the trash was not filled: $(trash-list)"

# The desktop's viewer for text, as Qt finds it (xdg-open): a stand-in that notes what it got.
mkdir -p "$E2E_TMP/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >"%s/viewed"\n' "$E2E_TMP" >"$E2E_TMP/bin/xdg-open"
chmod +x "$E2E_TMP/bin/xdg-open"
PATH=$E2E_TMP/bin:$PATH start_tidewell
wait_for_main_window
click_empty_now
wait_for_dialog
accept_dialog                       # "Are you sure ...?" - Yes is the default
wait_for_dialog
screenshot "$E2E_TMP/done.png"
accept_dialog                       # "Done."

[ -z "$(trash-list)" ] || fail "items left in the trash: $(trash-list)"
[ -z "$(ls -A "$XDG_DATA_HOME/Trash/files")" ] || fail "files/ is not empty"
[ -z "$(ls -A "$XDG_DATA_HOME/Trash/info")" ] || fail "info/ is not empty"
[ "$(cat "$HOME/outside.txt")" = keep ] || fail "the target of a trashed link was touched"
# The empty is on record in the journal, in the state folder by default.
journal=$HOME/.local/state/tidewell/journal.log
grep -q asked "$journal" || fail "the empty is not in the journal: $(cat "$journal" 2>&1)"
click_show_journal
wait_until 10 test -s "$E2E_TMP/viewed" || fail "Show Journal started no viewer"
grep -qx "file://$journal" "$E2E_TMP/viewed" || fail "the viewer was shown $(cat "$E2E_TMP/viewed")"
kill -0 "$TW_PID" || fail "the program ended"
echo "PASS: empty now"
