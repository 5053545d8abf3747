#!/usr/bin/env bash
# Cross-builds the portable core and its logic tests as 32-bit Windows programs (MinGW-w64)
# and runs them under Wine on a virtual X server, in a throwaway Wine prefix, HOME and
# XDG_DATA_HOME. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${TIDEWELL_WINE_SCRATCH:-}" ]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
        -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" >/dev/null
    cmake --build build-win32 -j"$(nproc)"

    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    # A virtual display of its own: Wine's windows never land on the user's desktop.
    TIDEWELL_WINE_SCRATCH=$scratch xvfb-run -a bash "$0" "$@"
    exit
fi

scratch=$TIDEWELL_WINE_SCRATCH
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" WINEPREFIX="$scratch/wine"
mkdir -p "$HOME" "$XDG_DATA_HOME"
# No menu entries or file associations on the user's desktop; no offer to download Wine's
# .NET and HTML engines, which would wait for a click nobody gives.
export WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml=" WINEARCH=win32
# This prefix's server only (wineserver is per prefix), so no other Wine session is touched.
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineboot -i >/dev/null 2>&1
wineserver -w

cd build-win32
ctest --output-on-failure --timeout 600 "$@"
