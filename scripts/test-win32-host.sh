#!/usr/bin/env bash
# Cross-builds the 32-bit Windows host with MinGW-w64 and runs its tests under Wine on a
# virtual X display. Every run gets a fresh Wine prefix and a throwaway HOME and
# XDG_DATA_HOME: Wine's Recycle Bin is $XDG_DATA_HOME/Trash, and the tests empty it.
# Usage: scripts/test-win32-host.sh [ctest arguments, e.g. -R win32_services]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TIDEWELL_WIN32_BUILD_DIR:-build-win32}
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release -DTIDEWELL_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

scratch=$(mktemp -d /tmp/tidewell-wine.XXXXXX)
export WINEPREFIX=$scratch/prefix HOME=$scratch/home XDG_DATA_HOME=$scratch/data
export XDG_CONFIG_HOME=$scratch/config XDG_CACHE_HOME=$scratch/cache
export WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
cleanup() {
    wineserver -k 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"

# Created without a display, then shut down, so that the tests' Wine desktop (and with it
# the notification area) starts afresh on the virtual display.
wineboot -i >/dev/null 2>&1
wineserver -w

cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 600 "$@"
