#!/usr/bin/env bash
# The Windows packages end to end under Wine: build the installer and the zip, install silently
# (/S) into a fresh prefix, find tidewell.exe, the uninstaller, the Start-menu entry and the
# installed-programs entry, start the program from its shortcut, uninstall silently and find the
# program ended, its files, entries, start-at-login value and empty keys gone and the user's
# settings kept.
# Installing over a running copy closes it first and starts the new one.
# Usage: test_windows.sh [build-dir]   (default build-win32-pkg, reused between runs)
# Without the Windows host in the tree (src/platform/win32/CMakeLists.txt), a stand-in window
# program is packaged instead of tidewell.exe, with the same packaging rules; the result says so.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$repo/build-win32-pkg}")
CCACHE=$(command -v ccache || true)

if [ -f "$repo/src/platform/win32/CMakeLists.txt" ]; then
    source_dir=$repo
    options=(-DTIDEWELL_TESTS=OFF -DTIDEWELL_BENCH=OFF)
    what="tidewell.exe"
else
    source_dir=$repo/tests/packaging/windows
    options=()
    what="a stand-in for tidewell.exe (no Windows host in this tree)"
fi
cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake" "${options[@]}" \
    ${CCACHE:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CCACHE} >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
rm -rf "$build/packages"
(cd "$build" && cpack >/dev/null)
setup=$(ls "$build"/packages/Tidewell-*-setup.exe)
zip=$(ls "$build"/packages/Tidewell-*-win32.zip)

source "$repo/tests/e2e/lib.sh" "$setup"

# The zip holds the program and nothing else.
contents=$(cmake -E tar tf "$zip" | grep -v '/$')
[[ "$contents" =~ ^Tidewell-[0-9.]+-win32/tidewell.exe$ ]] || fail "the zip holds: $contents"

# No menu entries on the desktop, no offer to download Wine's .NET and HTML engines.
export WINEPREFIX=$E2E_TMP/wine WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
# This prefix's server only: it ends whatever the test left running there.
trap 'status=$?; wineserver -k >/dev/null 2>&1 || true; (exit $status); cleanup' EXIT
start_desktop
wineboot -i >/dev/null 2>&1 || fail "wineboot"
c=$WINEPREFIX/drive_c
dir="$c/Program Files/Tidewell"
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tidewell"
arp='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewell Setup'
run='Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKCU\Software\Quendra\Tidewell'
reg_has() { wine reg query "$1" ${2:+/v "$2"} >/dev/null 2>&1; }

wine "$setup" /S || fail "the installer failed"
[ -f "$dir/tidewell.exe" ] || fail "no tidewell.exe under Program Files"
[ -f "$dir/Uninstall.exe" ] || fail "no uninstaller beside it"
[ -f "$menu/Tidewell.lnk" ] || fail "no Start-menu shortcut"
wine reg query "$arp" /v UninstallString 2>/dev/null | grep -qF 'C:\Program Files\Tidewell\Uninstall.exe' ||
    fail "no installed-programs entry with the uninstaller"

# What a user's copy leaves behind: settings, and start-at-login values, one of them from the zip.
wine reg add "$settings" /v StartStopState /d On /f >/dev/null
journal=$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')")/Quendra/Tidewell/journal.log
mkdir -p "$(dirname "$journal")" && echo "2026-12-07T21:43:31 done" >"$journal"
# The program quotes a path with spaces in it.
wine reg add "HKLM\\$run" /v tidewell.exe /d '"C:\Program Files\Tidewell\tidewell.exe"' /f >/dev/null
wine reg query "HKLM\\$run" /v tidewell.exe | grep -qF '"C:\Program' || fail "reg add lost the quotes"
wine reg add "HKCU\\$run" /v tidewell.exe /d 'C:\Portable\tidewell.exe' /f >/dev/null

start_from_menu() {
    wine start 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Tidewell\Tidewell.lnk'
    wait_until 60 xdotool search --onlyvisible --name '^Tidewell$' || fail "the shortcut did not start the program"
}
start_from_menu

# Installing again over a running copy (an upgrade) closes it, replaces the file and starts the
# new copy, so the scheduled empties go on.
touch -d '2000-01-01' "$dir/tidewell.exe"
old_window=$(xdotool search --onlyvisible --name '^Tidewell$' | head -n1)
wine "$setup" /S || fail "installing over a running copy failed"
[ "$(stat -c %Y "$dir/tidewell.exe")" -gt 946684800 ] || fail "installing again did not replace tidewell.exe"
wait_until 20 sh -c "! xdotool search --name '^Tidewell\$' | grep -qx '$old_window'" ||
    fail "installing again left the old copy running"
wait_until 60 xdotool search --onlyvisible --name '^Tidewell$' ||
    fail "installing over a running copy left Tidewell closed"

# The uninstaller copies itself away and returns at once; wait for the copy to finish.
wine "$dir/Uninstall.exe" /S
wait_until 60 test ! -e "$dir" || fail "the program's folder is still there"
wineserver -w
xdotool search --name '^Tidewell$' >/dev/null && fail "the running copy was not ended"
[ -e "$menu" ] && fail "the Start-menu entry is still there"
reg_has "$arp" && fail "the installed-programs entry is still there"
reg_has "HKLM\\$run" tidewell.exe && fail "the start-at-login value is still there"
reg_has "HKCU\\$run" tidewell.exe || fail "another copy's start-at-login value was removed"
reg_has "$settings" StartStopState || fail "the user's settings were removed"
[ -s "$journal" ] || fail "the user's journal was removed unasked"
reg_has 'HKLM\Software\Quendra' && fail "an empty HKLM\Software\Quendra key stayed behind"
echo "PASS: Windows installer and zip, with $what"
