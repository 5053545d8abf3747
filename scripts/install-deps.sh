#!/usr/bin/env bash
# Installs the Debian packages that the build, the program and the tests need.
# Idempotent: packages already present are skipped, so a second run is quick.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache clang-format
    qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-image-formats-plugins libqt6svg6 libxcb1-dev
    libgtest-dev libgmock-dev googletest
    xvfb xauth icewm xdotool x11-utils imagemagick fonts-liberation
    trash-cli libglib2.0-bin util-linux time python3
    # The age tests on exFAT, a file system without change times (through FUSE).
    exfat-fuse exfatprogs
    locales
    # Packages: the .deb and its checks, the icons drawn from the SVG, the Windows installer.
    dpkg-dev file desktop-file-utils appstream lintian librsvg2-bin nsis
    # The Wayland end-to-end test: a compositor and Qt's Wayland platform.
    weston qt6-wayland
    # The 32-bit Windows cross build and Wine to run its tests (about 1.7 GB on a fresh machine).
    g++-mingw-w64-i686 wine wine32:i386
)

# The locales whose time formats the tests read back across (12/24-hour, dots, AM/PM words).
test_locales=(en_US de_DE fr_FR fi_FI el_GR en_IN)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# wine32 is an i386 package.
new_arch=false
if ! dpkg --print-foreign-architectures | grep -qx i386; then
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

for l in "${test_locales[@]}"; do
    locale -a 2>/dev/null | grep -qx "$l.utf8" || $sudo localedef -i "$l" -f UTF-8 "$l.UTF-8"
done
