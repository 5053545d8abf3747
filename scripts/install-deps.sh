#!/usr/bin/env bash
# Installs the Debian packages that the build, the program and the tests need.
# Idempotent: packages already present are skipped, so a second run is quick.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libqt6svg6 libxcb1-dev
    libgtest-dev libgmock-dev
    xvfb xauth icewm xdotool x11-utils imagemagick fonts-liberation
    trash-cli libglib2.0-bin util-linux time
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
