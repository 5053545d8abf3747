# Shared set-up for the end-to-end tests: a virtual X server with icewm (a window manager with
# a notification area), a throwaway home, and helpers to drive the real program with xdotool.
# Usage: source this file with the program's path as $1.

set -euo pipefail

TIDEWELL=$(readlink -f "$1")
E2E_TMP=$(mktemp -d /tmp/tidewell-e2e.XXXXXX)
export HOME=$E2E_TMP/home
export XDG_CONFIG_HOME=$HOME/.config
export XDG_DATA_HOME=$HOME/.local/share
export XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$E2E_TMP/run
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
export NO_AT_BRIDGE=1
# gio needs no desktop services to trash a local file; do not let it look for them.
export GIO_USE_VFS=local
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

PIDS=()
cleanup() {
    local status=$?
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    if [ $status -ne 0 ]; then
        echo "--- program output ---"
        cat "$E2E_TMP"/tidewell*.log 2>/dev/null || true
        echo "--- kept $E2E_TMP for inspection ---"
    else
        rm -rf "$E2E_TMP"
    fi
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -n "${DISPLAY:-}" ] && import -window root "$E2E_TMP/failure.png" 2>/dev/null || true
    exit 1
}

# Waits up to $1 seconds for the command that follows to succeed.
wait_until() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.2
    done
}

start_desktop() {
    exec 9>"$E2E_TMP/display"
    # shellcheck disable=SC2086
    Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp ${XVFB_EXTRA:-} >"$E2E_TMP/xvfb.log" 2>&1 &
    PIDS+=($!)
    wait_until 20 test -s "$E2E_TMP/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$E2E_TMP/display")"
    icewm >"$E2E_TMP/icewm.log" 2>&1 &
    PIDS+=($!)
    wait_until 20 xprop -root _NET_SUPPORTING_WM_CHECK || fail "icewm did not start"
    # The program looks for a notification area once, at start: wait until icewm's is there.
    wait_until 20 tray_manager_running || fail "icewm's notification area did not start"
}

# Whether a notification area owns the system tray selection of screen 0, as Qt checks it.
tray_manager_running() {
    python3 - <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XGetSelectionOwner.restype = ctypes.c_ulong
d = x.XOpenDisplay(None)
sys.exit(0 if d and x.XGetSelectionOwner(d, x.XInternAtom(d, b"_NET_SYSTEM_TRAY_S0", 0)) else 1)
PY
}

TW_PID=""
start_tidewell() {
    local log=$E2E_TMP/tidewell${1:-}.log
    "$TIDEWELL" >"$log" 2>&1 &
    TW_PID=$!
    PIDS+=("$TW_PID")
}

# The visible top-level windows of the running program titled exactly "Tidewell".
tidewell_windows() {
    xdotool search --onlyvisible --pid "$TW_PID" --name '^Tidewell$' 2>/dev/null || true
}

# The main window: the one of its windows with the main window's client size.
main_window() {
    local w
    for w in $(tidewell_windows); do
        if xdotool getwindowgeometry "$w" | grep -q "Geometry: 536x351"; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

wait_for_main_window() {
    wait_until "${1:-30}" main_window || fail "the main window did not appear"
    MAIN=$(main_window)
}

# A message box: a visible "Tidewell" window other than the main window.
dialog_window() {
    local w
    for w in $(tidewell_windows); do
        [ "$w" = "${MAIN:-}" ] && continue
        echo "$w"
        return 0
    done
    return 1
}

wait_for_dialog() {
    wait_until "${1:-30}" dialog_window || fail "no message box appeared"
    DIALOG=$(dialog_window)
}

# Clicks at client coordinates (pixels) of the main window.
click_at() {
    xdotool mousemove --window "$MAIN" "$1" "$2" click 1
}

# Control centres in pixels (the window's layout in twips / 15).
click_help() { click_at 268 21; }
click_switch() { click_at 268 295; }
click_empty_now() { click_at 268 329; }
click_start_at_login() { click_at 32 254; }
click_start_in_tray() { click_at 296 254; }

# Answers the open message box with its default button.
accept_dialog() {
    xdotool windowactivate --sync "$DIALOG" 2>/dev/null || true
    xdotool key --clearmodifiers Return
    wait_until 10 sh -c "! xdotool getwindowname $DIALOG >/dev/null 2>&1 || ! xwininfo -id $DIALOG | grep -q IsViewable" ||
        fail "the message box did not close"
}

config_value() {
    grep -E "^$1=" "$XDG_CONFIG_HOME/Quendra/Tidewell.conf" 2>/dev/null | head -n1 | cut -d= -f2-
}

screenshot() { import -window root "${1:-$E2E_TMP/shot.png}"; }

# The program's icon in the notification area: its small embedded window.
tray_icon() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$TW_PID" --name '^tidewell$' 2>/dev/null); do
        if xdotool getwindowgeometry "$w" | grep -qE "Geometry: ([2-9][0-9]|1[6-9])x"; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

main_viewable() {
    [ -n "${MAIN:-}" ] && xwininfo -id "$MAIN" 2>/dev/null | grep -q "Map State: IsViewable"
}

# The balloon Qt draws itself on a tray without a notification service.
balloon_shown() {
    xwininfo -root -tree | grep -q "has been minimized\|QBalloonTip" && return 0
    local w
    for w in $(xdotool search --onlyvisible --pid "$TW_PID" 2>/dev/null); do
        [ "$w" = "${MAIN:-}" ] && continue
        xprop -id "$w" WM_CLASS 2>/dev/null | grep -qi balloon && return 0
        xdotool getwindowgeometry "$w" | grep -qE "Geometry: [3-9][0-9][0-9]x[4-9][0-9]$" && return 0
    done
    return 1
}

balloon_gone() { ! balloon_shown; }

close_main_window() {
    xdotool windowactivate --sync "$MAIN" 2>/dev/null || true
    xdotool key --clearmodifiers alt+F4
}
