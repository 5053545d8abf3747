#!/usr/bin/env bash
# An ordinary user (not root, which ignores permission bits) empties a trash holding read-only
# folders and a link to a file they must keep.
source "$(dirname "$0")/lib.sh" "$1"

USER_ID=65534
as_user() { setpriv --reuid=$USER_ID --regid=$USER_ID --clear-groups -- env HOME="$HOME" \
    XDG_CONFIG_HOME="$XDG_CONFIG_HOME" XDG_DATA_HOME="$XDG_DATA_HOME" \
    XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" DISPLAY="${DISPLAY:-}" ASAN_OPTIONS="$ASAN_OPTIONS" "$@"; }

chmod 755 "$E2E_TMP"
chown -R $USER_ID:$USER_ID "$HOME" "$XDG_RUNTIME_DIR"
# The user's program must reach the display that root started; it listens on no network.
XVFB_EXTRA=-ac start_desktop

as_user mkdir -p "$HOME/docs/locked/deeper" "$HOME/keep"
as_user sh -c "echo x >'$HOME/docs/locked/deeper/file'; echo y >'$HOME/docs/locked/top'"
as_user sh -c "echo precious >'$HOME/keep/precious.txt'"
as_user ln -s "$HOME/keep" "$HOME/docs/keep-link"
as_user gio trash "$HOME/docs/locked"
# Made read-only in the trash: a folder can't be moved once it is read-only.
as_user chmod 555 "$XDG_DATA_HOME/Trash/files/locked/deeper" "$XDG_DATA_HOME/Trash/files/locked"
as_user trash-put "$HOME/docs/keep-link"
[ "$(as_user trash-list | wc -l)" -eq 2 ] || fail "the trash was not filled"

setpriv --reuid=$USER_ID --regid=$USER_ID --clear-groups -- "$TIDEWELL" >"$E2E_TMP/tidewell.log" 2>&1 &
TW_PID=$!
PIDS+=("$TW_PID")
wait_for_main_window
[ "$(stat -c %u /proc/$TW_PID)" = $USER_ID ] || fail "the program does not run as the ordinary user"
click_empty_now
wait_for_dialog
accept_dialog
wait_for_dialog
accept_dialog

[ -z "$(as_user trash-list)" ] || fail "items left in the trash: $(as_user trash-list)"
[ "$(cat "$HOME/keep/precious.txt")" = precious ] || fail "the link's target was touched"
echo "PASS: empty as an ordinary user"
