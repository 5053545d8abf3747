# What the end-to-end tests of both hosts share: a throwaway home, a virtual X server with icewm
# (a window manager with a notification area), clean-up, waiting, and clicks on the real window
# with xdotool. Each host's lib.sh sources this, then adds how to start its program and how to
# find its windows (tidewell_windows, dialog_window, tray_icon).
# Usage: source this file with the name of the scratch folder to make under /tmp as $1.

set -euo pipefail
# Functions and command substitutions inherit the ERR trap below: a check that ends the test
# through set -e says which.
set -E

E2E_TMP=$(mktemp -d "/tmp/$1.XXXXXX")
# The shell that sourced this file: the test's own (a subshell when a test sources it in one).
E2E_SHELL=$BASHPID
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
# How long a wait for something that should happen lasts before the test gives up and says what
# it saw: reached only when it does not happen, so generous.
WAIT_SECONDS=60

# Background processes to end with the test, in the order started (Xvfb, then icewm).
PIDS=()
cleanup() {
    local status=$?
    # A path that ended the test without a word (an exit of the script's own, say).
    if [ $status -ne 0 ] && [ -z "${E2E_FAILED:-}" ]; then
        E2E_FAILED=1
        echo "FAIL: the test ended with status $status" >&2
        describe_state >&2
    fi
    # The host's own clean-up first (Wine's server), while its display is still there.
    if declare -F cleanup_host >/dev/null; then cleanup_host || true; fi
    # Only a process still a child of this shell: the number of one that has ended may belong to
    # another process by now (on a busy machine process numbers come round within minutes).
    local pid
    for pid in "${PIDS[@]}"; do
        [ "$(ps -o ppid= -p "$pid" 2>/dev/null | tr -d ' ')" = "$E2E_SHELL" ] || continue
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    if [ $status -ne 0 ]; then
        echo "--- kept $E2E_TMP for inspection ---" >&2
    else
        rm -rf "$E2E_TMP"
    fi
}
trap cleanup EXIT

# Ends the test with $* and a description of what was on the screen at that moment.
E2E_FAILED=""
fail() {
    E2E_FAILED=1
    echo "FAIL: $*" >&2
    describe_state >&2
    exit 1
}

# A command that ended the test through set -e: which one, where, and what was on the screen.
# Only the test's own shell reports (a failing command substitution is reported by the command
# that used it).
on_error() {
    local status=$1 command=$2 i where=""
    [ "$BASHPID" = "$E2E_SHELL" ] && [ -z "$E2E_FAILED" ] || return 0
    E2E_FAILED=1
    for ((i = 1; i < ${#FUNCNAME[@]}; i++)); do
        where+=" ${BASH_SOURCE[i]##*/}:${BASH_LINENO[i - 1]}${FUNCNAME[i]:+ (${FUNCNAME[i]})}"
    done
    echo "FAIL: '$command' returned $status at$where" >&2
    describe_state >&2
}
trap 'on_error $? "$BASH_COMMAND"' ERR
# A time-out (ctest's, or the runner's) stops the test: say what it was waiting for.
trap 'fail "stopped by a signal (time-out?)"' TERM INT

# One window in a line: id, title, map state, window-manager state, geometry.
describe_window() {
    local info state geometry
    info=$(xwininfo -id "$1" 2>/dev/null) || {
        echo "$1 (gone)"
        return 0
    }
    state=$(xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p')
    geometry=$(sed -n 's/.*-geometry //p' <<<"$info")
    echo "$1 '$(xdotool getwindowname "$1" 2>/dev/null)' $(sed -n 's/.*Map State: //p' <<<"$info")," \
        "WM state ${state:-Withdrawn}, geometry $geometry"
}

# Whatever a failed check needs to be understood: the program's windows, the keyboard focus, the
# icon, whether the program still runs, and its log's last lines. Best effort: never fails.
describe_state() {
    set +e
    local w focus
    echo "--- seen $SECONDS s into the test:"
    if [ -n "${XVFB_PID:-}" ] && ! xvfb_running; then
        echo "the X server has ended (killed from outside? see $E2E_TMP/xvfb.log)"
    elif [ -n "${DISPLAY:-}" ]; then
        echo "main window: ${MAIN:+$(describe_window "$MAIN")}"
        for w in $(tidewell_windows 2>/dev/null); do
            [ "$w" = "${MAIN:-}" ] || echo "other window of the program: $(describe_window "$w")"
        done
        focus=$(xdotool getwindowfocus 2>/dev/null)
        echo "keyboard focus: ${focus:+$(describe_window "$focus")}"
        echo "active window: $(xdotool getactivewindow 2>/dev/null)"
        echo "icon in the notification area: $(tray_icon 2>/dev/null || echo none)"
        import -window root "$E2E_TMP/failure.png" 2>/dev/null && echo "screenshot: $E2E_TMP/failure.png"
    fi
    if [ -n "$ICEWM_PID" ]; then
        if kill -0 "$ICEWM_PID" 2>/dev/null; then
            echo "icewm: running (pid $ICEWM_PID)"
        else
            wait "$ICEWM_PID" 2>/dev/null
            echo "icewm: ended with status $?; its log: $(tail -n 5 "$E2E_TMP/icewm.log")"
        fi
    fi
    if [ -n "${TW_PID:-}" ]; then
        if kill -0 "$TW_PID" 2>/dev/null; then
            echo "program: running (pid $TW_PID)"
        else
            wait "$TW_PID" 2>/dev/null
            echo "program: ended with status $?"
        fi
    fi
    local log
    for log in "$E2E_TMP"/tidewell*.log; do
        [ -s "$log" ] || continue
        echo "last lines of $log:"
        tail -n 15 "$log"
    done
    set -e
    return 0
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
ICEWM_PID=""
xvfb_running() {
    local state
    state=$(awk '{print $3}' "/proc/$XVFB_PID/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# wait_until for the desktop's start: gives up at once, saying so, if the X server or the window
# manager has gone.
wait_on_display() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        xvfb_running || fail "Xvfb ended while the desktop was starting"
        [ -z "$ICEWM_PID" ] || kill -0 "$ICEWM_PID" 2>/dev/null ||
            fail "icewm ended while the desktop was starting; its log: $(tail -n 5 "$E2E_TMP/icewm.log")"
        [ $SECONDS -lt $deadline ] || return 1
        sleep "$POLL_SECONDS"
    done
}

# Whether a window manager has announced itself on the root window (xprop prints "not found"
# and succeeds when it has not).
wm_announced() { [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *"window id #"* ]]; }

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

# Xvfb (with the extra arguments in $XVFB_EXTRA) and icewm on it; sets DISPLAY. -noreset: by
# default the server resets when its last client leaves, and a client connecting meanwhile (the
# window manager, just after the check for the display) is turned away.
start_x_desktop() {
    exec 9>"$E2E_TMP/display"
    # shellcheck disable=SC2086
    Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp -noreset ${XVFB_EXTRA:-} \
        >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    PIDS+=("$XVFB_PID")
    wait_on_display 20 test -s "$E2E_TMP/display" || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$E2E_TMP/display")"
    icewm >"$E2E_TMP/icewm.log" 2>&1 &
    ICEWM_PID=$!
    PIDS+=("$ICEWM_PID")
    wait_on_display "$WAIT_SECONDS" wm_announced ||
        fail "expected icewm to manage the display within $WAIT_SECONDS s; its log: $(tail -n 5 "$E2E_TMP/icewm.log")"
    # Its notification area comes a moment later; an icon added before it has nowhere to go.
    wait_on_display "$WAIT_SECONDS" tray_manager_running ||
        fail "expected icewm's notification area within $WAIT_SECONDS s; its log: $(tail -n 5 "$E2E_TMP/icewm.log")"
}

# wait_value LIMIT COMMAND...: waits up to LIMIT seconds for COMMAND to succeed, then prints
# what it printed that time (looked up once more, a window could have gone in between).
wait_value() {
    local limit=$1 out deadline
    shift
    deadline=$((SECONDS + limit))
    until out=$("$@" 2>/dev/null); do
        [ $SECONDS -lt $deadline ] || return 1
        sleep "$POLL_SECONDS"
    done
    echo "$out"
}

# The main window: the one of the program's windows (the host's tidewell_windows) with the
# main window's client size. Output is read whole before it is matched: a reader that stops
# early kills the writer with SIGPIPE, and under pipefail that reads as "not found".
main_window() {
    local w
    for w in $(tidewell_windows); do
        if [[ $(xdotool getwindowgeometry "$w" 2>/dev/null) == *"Geometry: 536x475"* ]]; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

wait_for_main_window() {
    MAIN=$(wait_value "${1:-$MAIN_WINDOW_SECONDS}" main_window) ||
        fail "expected the main window (536x475) within ${1:-$MAIN_WINDOW_SECONDS} s; none appeared"
}

wait_for_dialog() {
    DIALOG=$(wait_value "${1:-$WAIT_SECONDS}" dialog_window) ||
        fail "expected a message box within ${1:-$WAIT_SECONDS} s; none appeared"
}

wait_for_tray_icon() {
    ICON=$(wait_value "$WAIT_SECONDS" tray_icon) ||
        fail "expected the icon in the notification area within $WAIT_SECONDS s; none appeared"
}

# The desktop, the program on it, its main window ($MAIN) and its icon ($ICON).
start_with_tray_icon() {
    start_desktop
    start_tidewell
    wait_for_main_window
    wait_for_tray_icon
}

viewable() { [[ $(xwininfo -id "$1" 2>/dev/null) == *"Map State: IsViewable"* ]]; }

main_viewable() { [ -n "${MAIN:-}" ] && viewable "$MAIN"; }

# Whether window $1 is withdrawn: neither on the screen nor minimised on the task bar.
withdrawn() {
    ! viewable "$1" && [[ $(xprop -id "$1" WM_STATE 2>/dev/null) != *"window state: Iconic"* ]] &&
        [[ $(xprop -id "$1" WM_STATE 2>/dev/null) != *"window state: Normal"* ]]
}

# Minimises the main window and waits until the program has hidden it in the tray: first the
# window manager minimises it onto the task bar, and only then does the program take it off.
# Fails with $1 if it stays.
minimise_main_window() {
    xdotool windowminimize "$MAIN"
    wait_until "$WAIT_SECONDS" withdrawn "$MAIN" ||
        fail "$1: expected the window withdrawn within $WAIT_SECONDS s"
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
