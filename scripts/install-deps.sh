#!/usr/bin/env bash
# Installs the Debian packages that the build, the program and the tests need.
# Idempotent: packages already present are skipped, so a second run is quick.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libqt6svg6
    libgtest-dev libgmock-dev
    xvfb xauth icewm xdotool x11-utils imagemagick fonts-liberation
    trash-cli libglib2.0-bin util-linux time
    locales
)

# The locales whose time formats the tests read back across (12/24-hour, dots, AM/PM words).
test_locales=(en_US de_DE fr_FR fi_FI el_GR en_IN)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

for l in "${test_locales[@]}"; do
    locale -a 2>/dev/null | grep -qx "$l.utf8" || $sudo localedef -i "$l" -f UTF-8 "$l.UTF-8"
done
