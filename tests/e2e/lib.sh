# The Linux host's end-to-end set-up: the shared desktop and helpers (../e2e-common/lib.sh)
# plus the freedesktop environment, and how to find the Qt program's windows.
# Usage: source this file with the program's path as $1.

source "$(dirname "${BASH_SOURCE[0]}")/../e2e-common/lib.sh" tidewell-e2e
TIDEWELL=$(readlink -f "$1")
export XDG_RUNTIME_DIR=$E2E_TMP/run
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
export NO_AT_BRIDGE=1
# gio needs no desktop services to trash a local file; do not let it look for them.
export GIO_USE_VFS=local
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

# The program looks for a notification area once, at start: start_x_desktop has waited for
# icewm's.
start_desktop() { start_x_desktop; }

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

# A message box: a visible "Tidewell" window of dialog type. The name search also finds the icon
# in the notification area, whose key presses go nowhere.
dialog_window() {
    local w
    for w in $(tidewell_windows); do
        [ "$w" = "${MAIN:-}" ] && continue
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '_NET_WM_WINDOW_TYPE_DIALOG' || continue
        echo "$w"
        return 0
    done
    return 1
}

# More control centres in pixels (the window's layout in twips / 15).
click_help() { click_at 268 21; }
click_start_at_login() { click_at 32 254; }
click_start_in_tray() { click_at 296 254; }

# Whether window $1 is both the window manager's active window and holds the keyboard focus.
has_focus() {
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] &&
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}

# Gives window $1 the keyboard focus and waits until it has it. A busy window manager may not
# have taken the window on yet, or drop a request: ask again until the focus is there.
focus_window() {
    local window=$1 deadline=$((SECONDS + 30))
    until has_focus "$window"; do
        viewable "$window" || return 1
        [ $SECONDS -lt $deadline ] || return 1
        timeout 5 xdotool windowactivate "$window" >/dev/null 2>&1 || true
        wait_until 2 has_focus "$window" && break
    done
}

# Answers message box $1 (default: $DIALOG) with its default button, then waits for it to go.
# The key is sent once, and only while the box holds the focus: a key sent elsewhere would reach
# the main window, where Enter presses the focused button. Never pressed twice, since a second
# press could answer the box that follows (a confirmation is followed by "Done.").
accept_dialog() {
    local box=${1:-$DIALOG}
    focus_window "$box" || fail "the message box could not be given the focus"
    xdotool key --clearmodifiers Return
    wait_until 30 sh -c "! xwininfo -id $box 2>/dev/null | grep -q IsViewable" ||
        fail "the message box did not close"
}

config_value() {
    grep -E "^$1=" "$XDG_CONFIG_HOME/Quendra/Tidewell.conf" 2>/dev/null | head -n1 | cut -d= -f2-
}

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

# The balloon Qt draws itself on a tray without a notification service.
balloon_shown() {
    # The tree is read whole: grep -q stopping early would kill xwininfo with SIGPIPE, which
    # pipefail reports as no balloon.
    [[ $(xwininfo -root -tree 2>/dev/null) =~ "has been minimized"|QBalloonTip ]] && return 0
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
    focus_window "$MAIN" || fail "the main window could not be given the focus"
    xdotool key --clearmodifiers alt+F4
}
