#!/usr/bin/env bash
# The Debian package end to end: build it, pass the validators, install it into this machine with
# apt-get, start the installed program under Xvfb and see its window and tray icon, then purge it
# and find nothing of it left in /usr. Installs into the real /usr: run it as root on a test
# machine. Usage: test_deb.sh [build-dir]   (default build-deb, reused between runs)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$repo/build-deb}")
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

fail() { echo "FAIL: $*" >&2; exit 1; }

# The build's own words are shown only when it fails.
log=$(bash "$repo/scripts/package-deb.sh" "$build" 2>&1) || {
    printf '%s\n' "$log" | tail -n 40 >&2
    fail "building the package"
}
deb=$(ls "$build"/packages/tidewell_*.deb)

# One version everywhere: the project, the package, its changelog and the software centre's list.
version=$(dpkg-deb -f "$deb" Version)
[ "$(dpkg-parsechangelog -l "$repo/resources/debian/changelog" -S Version)" = "$version" ] ||
    fail "resources/debian/changelog does not start with version $version"
grep -q "<release version=\"$version\"" "$repo/resources/com.quendra.Tidewell.metainfo.xml" ||
    fail "the metainfo lists no release $version"

tree=$(mktemp -d /tmp/tidewell-deb.XXXXXX)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree/usr/share/applications/tidewell.desktop" || fail "desktop-file-validate"
appstreamcli validate-tree --no-net "$tree" || fail "appstreamcli validate-tree"
lintian --fail-on error,warning "$deb" || fail "lintian"
for size in 16 22 24 32 48 64 128 256; do
    identify -format '%wx%h' "$tree/usr/share/icons/hicolor/${size}x$size/apps/tidewell.png" |
        grep -qx "${size}x$size" || fail "no ${size} px icon"
done

# A leftover from an earlier, interrupted run would hide what this package installs.
$sudo apt-get remove --purge -y -qq tidewell >/dev/null 2>&1 || true
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null || fail "apt-get install"
installed=$(dpkg-query -L tidewell)
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/tidewell.desktop)
[ "$(command -v "$exec_line")" = /usr/bin/tidewell ] || fail "the menu entry does not start /usr/bin/tidewell"

# The installed program, as a user starts it from the menu.
(
    source "$repo/tests/e2e/lib.sh" /usr/bin/tidewell
    start_desktop
    start_tidewell
    wait_for_main_window
    wait_until 20 tray_icon || fail "no icon in the notification area"
    screenshot "$E2E_TMP/installed.png"
    close_main_window
    wait_until 15 sh -c "! kill -0 $TW_PID" || fail "closing did not end the program"
)

$sudo apt-get remove --purge -y -qq tidewell >/dev/null || fail "apt-get remove --purge"
left=""
while IFS= read -r path; do
    # Folders such as /usr/share/doc stay: other packages own them too.
    if [ -f "$path" ] || [ -L "$path" ]; then left+="$path "; fi
done <<<"$installed"
left+=$(find /usr -path /usr/local -prune -o -iname '*tidewell*' -print | tr '\n' ' ')
[ -z "$left" ] || fail "left behind in /usr: $left"
echo "PASS: Debian package $version"
