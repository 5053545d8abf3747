#!/usr/bin/env bash
# Builds Tidewell (installing what the build needs first) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTIDEWELL_TESTS=OFF -DTIDEWELL_BENCH=OFF >/dev/null
cmake --build build --target tidewell -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Tidewell needs a graphical desktop, and this shell has none (DISPLAY is not set)." >&2
    echo "To try it without one, run it under a virtual X server:" >&2
    echo "    xvfb-run -a $(pwd)/build/tidewell" >&2
    exit 1
fi
exec ./build/tidewell
