# What the end-to-end tests of both hosts share: a throwaway home, a virtual X server with icewm
# (a window manager with a notification area), clean-up, waiting, and clicks on the real window
# with xdotool. Each host's lib.sh sources this, then adds how to start its program and how to
# find its windows (tidewell_windows, dialog_window, tray_icon).
# Usage: source this file with the name of the scratch folder to make under /tmp as $1.

set -euo pipefail

E2E_TMP=$(mktemp -d "/tmp/$1.XXXXXX")
export HOME=$E2E_TMP/home
export XDG_CONFIG_HOME=$HOME/.config
export XDG_DATA_HOME=$HOME/.local/share
export XDG_CACHE_HOME=$HOME/.cache
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
unset WAYLAND_DISPLAY

# How often wait_until looks again, and how long the program's main window may take to show:
# a host's lib.sh may change them.
POLL_SECONDS=0.2
MAIN_WINDOW_SECONDS=30

# Background processes to end with the test, in the order started (Xvfb, then icewm).
PIDS=()
cleanup() {
    local status=$?
    # The host's own clean-up first (Wine's server), while its display is still there.
    if declare -F cleanup_host >/dev/null; then cleanup_host || true; fi
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
    if [ -n "${XVFB_PID:-}" ] && ! xvfb_running; then
        echo "(the X server has ended - killed from outside? see $E2E_TMP/xvfb.log)" >&2
    fi
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
        sleep "$POLL_SECONDS"
    done
}

# Whether our Xvfb is still running (a zombie counts as ended: nobody has waited for it yet).
XVFB_PID=""
xvfb_running() {
    local state
    state=$(awk '{print $3}' "/proc/$XVFB_PID/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# wait_until for the desktop's start: gives up at once, saying so, if the X server has gone.
wait_on_display() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        xvfb_running || fail "Xvfb ended while the desktop was starting"
        [ $SECONDS -lt $deadline ] || return 1
        sleep "$POLL_SECONDS"
    done
}

# Xvfb (with the extra arguments in $XVFB_EXTRA) and icewm on it; sets DISPLAY.
start_x_desktop() {
    exec 9>"$E2E_TMP/display"
    # shellcheck disable=SC2086
    Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp ${XVFB_EXTRA:-} >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    PIDS+=("$XVFB_PID")
    wait_on_display 20 test -s "$E2E_TMP/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$E2E_TMP/display")"
    icewm >"$E2E_TMP/icewm.log" 2>&1 &
    PIDS+=($!)
    wait_on_display 20 xprop -root _NET_SUPPORTING_WM_CHECK || fail "icewm did not start"
}

# The main window: the one of the program's windows (the host's tidewell_windows) with the
# main window's client size.
main_window() {
    local w
    for w in $(tidewell_windows); do
        if xdotool getwindowgeometry "$w" | grep -q "Geometry: 536x413"; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

wait_for_main_window() {
    wait_until "${1:-$MAIN_WINDOW_SECONDS}" main_window || fail "the main window did not appear"
    MAIN=$(main_window)
}

wait_for_dialog() {
    wait_until "${1:-30}" dialog_window || fail "no message box appeared"
    DIALOG=$(dialog_window)
}

wait_for_tray_icon() {
    wait_until 20 tray_icon || fail "no icon in the notification area"
    ICON=$(tray_icon)
}

# The desktop, the program on it, its main window ($MAIN) and its icon ($ICON).
start_with_tray_icon() {
    start_desktop
    start_tidewell
    wait_for_main_window
    wait_for_tray_icon
}

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }

main_viewable() { [ -n "${MAIN:-}" ] && viewable "$MAIN"; }

# Minimises the main window and waits until it is out of sight; fails with $1 if it stays.
minimise_main_window() {
    xdotool windowminimize "$MAIN"
    wait_until 10 sh -c "! xwininfo -id $MAIN | grep -q IsViewable" || fail "$1"
}

# Clicks at client coordinates (pixels) of the main window.
click_at() {
    xdotool mousemove --window "$MAIN" "$1" "$2" click 1
}

# Control centres in pixels (the window's layout in twips / 15).
click_switch() { click_at 268 295; }
click_empty_now() { click_at 268 329; }
click_show_journal() { click_at 457 381; }

screenshot() { import -window root "${1:-$E2E_TMP/shot.png}"; }
