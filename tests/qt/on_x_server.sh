#!/usr/bin/env bash
# Runs a command on an X server of its own (Xvfb, on a display number it picks itself, so that
# runs side by side never share one), on Qt's X platform and without a D-Bus session.
set -euo pipefail
dir=$(mktemp -d)
xvfb=""
trap '[ -z "$xvfb" ] || { kill "$xvfb"; wait "$xvfb"; } 2>/dev/null; rm -rf "$dir"' EXIT
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/log" &
xvfb=$!
# The number comes once the server listens; a server that fails closes the pipe unwritten.
read -r number <"$dir/display" || { cat "$dir/log" >&2; exit 1; }
DISPLAY=":$number" QT_QPA_PLATFORM=xcb env -u DBUS_SESSION_BUS_ADDRESS "$@"
