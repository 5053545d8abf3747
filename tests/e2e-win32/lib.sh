# The Windows host's end-to-end set-up: the shared desktop and helpers (../e2e-common/lib.sh)
# plus a fresh Wine prefix (Wine keeps its one Recycle Bin in $XDG_DATA_HOME/Trash), and how to
# find tidewell.exe's windows.
# Usage: source this file with the cross build's directory as $1 (it holds tidewell.exe and the
# test's shell client tidewell_recycle_tool.exe).

source "$(dirname "${BASH_SOURCE[0]}")/../e2e-common/lib.sh" tidewell-e2e-win32
# Set first: the clean-up ends the Wine server of this prefix, never one it inherited.
export WINEPREFIX=$E2E_TMP/wine
BUILD=$(readlink -f "$1")
TIDEWELL_EXE=$(find "$BUILD" -name tidewell.exe -print -quit)
RECYCLE_TOOL=$(find "$BUILD" -name tidewell_recycle_tool.exe -print -quit)
[ -n "$TIDEWELL_EXE" ] && [ -n "$RECYCLE_TOOL" ] || {
    echo "no tidewell.exe or tidewell_recycle_tool.exe under $BUILD" >&2
    exit 1
}

export WINEDEBUG=-all
# No menu entries or file associations written into the throwaway home.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
# Wine starts slowly, the more so on a busy machine.
POLL_SECONDS=0.3
MAIN_WINDOW_SECONDS=60

# Ends what runs in this test's prefix (wineserver is per prefix).
cleanup_host() { wineserver -k 2>/dev/null; }

start_desktop() {
    start_x_desktop
    # A fresh prefix; its first start takes a while.
    wineboot -i >"$E2E_TMP/wineboot.log" 2>&1 ||
        fail "wineboot failed; its log ends: $(tail -n 5 "$E2E_TMP/wineboot.log")"
    # Wine 8 hands icewm's focus offer (WM_TAKE_FOCUS) back too late for the X server, so no
    # Wine window gets the keyboard focus when it appears; without the offer icewm gives it.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /d N /f >/dev/null 2>&1 ||
        fail "can't set Wine's UseTakeFocus"
    wineserver -w
}

TW_PID=""
start_tidewell() {
    wine "$TIDEWELL_EXE" >"$E2E_TMP/tidewell${1:-}.log" 2>&1 &
    TW_PID=$!
    PIDS+=("$TW_PID")
}

tidewell_running() { kill -0 "$TW_PID" 2>/dev/null; }

# The visible windows of tidewell.exe titled exactly "Tidewell".
tidewell_windows() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^tidewell.exe$' 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = Tidewell ] && echo "$w"
    done
    return 0
}

# A message box: another of them.
dialog_window() {
    local w
    for w in $(tidewell_windows); do
        [ "$w" = "${MAIN:-}" ] && continue
        echo "$w"
        return 0
    done
    return 1
}

# Answers the open message box ($DIALOG): yes, no or ok. The key is sent once the box holds the
# keyboard focus (before that it would reach the main window), and only once: a second one could
# answer the box that follows.
dialog_gone() { ! viewable "$DIALOG"; }
dialog_has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$DIALOG" ]; }
answer_dialog() {
    local key
    case $1 in
        yes) key=y ;;
        no) key=n ;;
        *) key=Return ;;
    esac
    wait_until "$WAIT_SECONDS" dialog_has_focus ||
        fail "expected the message box $DIALOG to take the keyboard focus within $WAIT_SECONDS s"
    xdotool key --clearmodifiers "$key"
    wait_until "$WAIT_SECONDS" dialog_gone ||
        fail "expected the message box $DIALOG to close on '$key' within $WAIT_SECONDS s"
}

# More control centres in pixels (the window's layout in twips / 15).
click_start_in_tray() { click_at 290 254; }
click_daily() { click_at 32 163; }
click_days_box() { click_at 144 133; }
# Left of the frames: a click there reaches the window itself, no control.
click_window_margin() { click_at 4 200; }
# Points on the Keep Recent Items box, on "Show Journal" and on the window's first control.
KEEP_DAYS_BOX=(336 382)
SHOW_JOURNAL=(457 381)
TRASH_SIZE_BOX=(336 444)
START_AT_LOGIN=(151 254)

# The program's icon in the notification area: Wine's shell embeds it in icewm's tray.
# The tree is read whole first: an awk that stopped at the icon would leave xwininfo writing
# into a closed pipe, and under pipefail the icon found would read as missing.
tray_icon() {
    local tree
    tree=$(xwininfo -root -tree 2>/dev/null) || return 1
    awk '/YXTrayEmbedder/ {found = 1; next} found && /explorer.exe/ {print $1; exit}' <<<"$tree" |
        grep .
}

icon_gone() { ! tray_icon >/dev/null; }

# The number of items in the Recycle Bin, as the shell reports it.
recycle_bin_count() { wine "$RECYCLE_TOOL" count | tr -d '\r'; }

# A file on drive C: put into the Recycle Bin by the shell, as Explorer's Delete does.
recycle_new_file() {
    local name=$1
    echo "to be emptied" >"$WINEPREFIX/drive_c/$name"
    wine "$RECYCLE_TOOL" put "C:\\$name" || fail "the shell did not take $name into the Recycle Bin"
}

# The control with the keyboard focus as the program's own thread sees it (the X focus is on the
# main window whichever control has it): "class left top right bottom" in client pixels.
focused_control() {
    local out
    out=$(wine "$RECYCLE_TOOL" focus 2>/dev/null) || return 1
    echo "${out//$'\r'/}"
}

# Whether control $1 (as focused_control prints it) covers client point ($2, $3).
control_covers() {
    local class left top right bottom
    read -r class left top right bottom <<<"$1"
    [ "$2" -ge "$left" ] && [ "$2" -lt "$right" ] && [ "$3" -ge "$top" ] && [ "$3" -lt "$bottom" ]
}

# Whether the control at client point ($1, $2) of the main window holds the keyboard focus.
focus_at() {
    local control
    control=$(focused_control) || return 1
    echo "$control"
    control_covers "$control" "$1" "$2"
}

# Presses Tab until the focus is back where it started, each key once the one before has moved
# the focus (sent earlier, it would be read in the control it left). TAB_STOPS: the controls
# reached from the start, in order, the start itself last.
TAB_STOPS=()
TAB_FROM=""
TAB_NOW=""
focus_moved() { TAB_NOW=$(focused_control) && [ "$TAB_NOW" != "$TAB_FROM" ]; }
tab_around() {
    local start
    start=$(wait_value "$WAIT_SECONDS" focused_control) ||
        fail "expected a control of the main window to hold the keyboard focus"
    TAB_STOPS=()
    TAB_FROM=$start
    while [ ${#TAB_STOPS[@]} -lt 40 ]; do
        xdotool key --clearmodifiers Tab
        wait_until "$WAIT_SECONDS" focus_moved ||
            fail "expected Tab to move the focus on from $TAB_FROM (after: ${TAB_STOPS[*]})"
        TAB_STOPS+=("$TAB_NOW")
        [ "$TAB_NOW" = "$start" ] && return 0
        TAB_FROM=$TAB_NOW
    done
    fail "expected Tab to come back to $start within 40 presses; it went: ${TAB_STOPS[*]}"
}

# A value of the program's settings in the registry (empty when missing).
setting() {
    local out
    out=$(wine reg query 'HKCU\Software\Quendra\Tidewell' /v "$1" 2>/dev/null) || true
    awk -v key="$1" '$1 == key && !done {sub(/^[\t ]*[^\t ]+[\t ]+REG_SZ[\t ]*/, ""); print; done = 1}' \
        <<<"${out//$'\r'/}"
}

# The window manager's close (Alt+F4): the program's close handler ends it. The key goes to the
# active window, so it is sent once the main window is active and holds the focus.
main_is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$MAIN" ] && main_has_focus; }
program_ended() { ! tidewell_running; }
close_main_window() {
    xdotool windowactivate "$MAIN" 2>/dev/null || true
    wait_until "$WAIT_SECONDS" main_is_active ||
        fail "expected the main window active with the focus before closing it"
    xdotool key --clearmodifiers alt+F4
    wait_until "$WAIT_SECONDS" program_ended ||
        fail "expected the program to end within $WAIT_SECONDS s of Alt+F4 on its window"
}

# Whether the main window has the keyboard focus.
main_has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$MAIN" ]; }

setting_is() { [ "$(setting "$1")" = "$2" ]; }

# Waits for setting $1 to become $2; fails with $3 and the value seen.
wait_for_setting() {
    wait_until "$WAIT_SECONDS" setting_is "$1" "$2" ||
        fail "$3: expected $1 = '$2' in the registry within $WAIT_SECONDS s, saw '$(setting "$1")'"
}
