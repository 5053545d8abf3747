#!/usr/bin/env bash
# Installs the Debian packages that building and running Tidewell need; with "package", also
# what making its Debian package needs; with "all", what the tests and benchmarks need too. Idempotent: packages already present are skipped, so a
# second run is quick.
set -euo pipefail

# What building and running Tidewell needs.
packages=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libqt6svg6
    # The tray watch hears X's selection owner change through XFixes.
    libxcb1-dev libxcb-xfixes0-dev
    # The icons of the install rules are drawn from the SVG at configure time.
    librsvg2-bin
)
# What making the Debian package needs besides ("package").
package_packages=(dpkg-dev file desktop-file-utils appstream lintian)
# What the tests and benchmarks need besides ("all": the packages too; about 1.7 GB on a fresh
# machine, most of it Wine and MinGW-w64).
test_packages=(
    clang-format qt6-base-private-dev
    libgtest-dev libgmock-dev googletest
    xvfb xauth icewm xdotool x11-utils imagemagick fonts-liberation
    trash-cli libglib2.0-bin util-linux time python3
    # The age tests on exFAT, a file system without change times (through FUSE).
    exfat-fuse exfatprogs
    locales
    # The Wayland end-to-end test: a compositor and Qt's Wayland platform.
    weston qt6-wayland
    # The 32-bit Windows cross build, its installer, and Wine to run its tests.
    g++-mingw-w64-i686 nsis wine wine32:i386
)
all=false
case "${1:-}" in
    "") ;;
    package) packages+=("${package_packages[@]}") ;;
    all)
        packages+=("${package_packages[@]}" "${test_packages[@]}")
        all=true
        ;;
    *)
        echo "usage: $0 [package|all]" >&2
        exit 2
        ;;
esac

# The locales whose time formats the tests read back across (12/24-hour, dots, AM/PM words).
test_locales=(en_US de_DE fr_FR fi_FI el_GR en_IN)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# wine32 is an i386 package.
new_arch=false
if $all && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
    new_arch=true
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || $new_arch; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    [ ${#missing[@]} -eq 0 ] || DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

$all || exit 0
for l in "${test_locales[@]}"; do
    locale -a 2>/dev/null | grep -qx "$l.utf8" || $sudo localedef -i "$l" -f UTF-8 "$l.UTF-8"
done
