#!/usr/bin/env bash
# Installs the Debian packages that the build, the program and the tests need.
# Idempotent: packages already present are skipped, so a second run is quick.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache clang-format
    qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libqt6svg6
    libgtest-dev libgmock-dev googletest
    xvfb xauth icewm xdotool x11-utils imagemagick fonts-liberation
    trash-cli libglib2.0-bin util-linux time python3
    # The Wayland end-to-end test: a compositor and Qt's Wayland platform.
    weston qt6-wayland
    # The 32-bit Windows cross build and Wine to run its tests (about 1.7 GB on a fresh machine).
    g++-mingw-w64-i686 wine wine32:i386
)

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
[ ${#missing[@]} -eq 0 ] && ! $new_arch && exit 0

echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
[ ${#missing[@]} -eq 0 ] && exit 0
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
