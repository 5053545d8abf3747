#!/usr/bin/env bash
# Runs the Windows end-to-end tests (tests/e2e-win32/test_*.sh): tidewell.exe under Wine on a
# virtual X server with icewm, each test in a fresh Wine prefix and a throwaway home.
# Usage: scripts/test-win32-e2e.sh [CROSS_BUILD_DIR] [TEST_NAME...]
#   CROSS_BUILD_DIR  the MinGW-w64 build (default build-win32); tidewell.exe and the tests'
#                    shell client are built there first
#   TEST_NAME        e.g. test_empty_now; all tests when none is given
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-win32}
shift || true
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target tidewell tidewell_recycle_tool

tests=("$@")
if [ ${#tests[@]} -eq 0 ]; then
    for script in tests/e2e-win32/test_*.sh; do tests+=("$(basename "$script" .sh)"); done
fi

failed=()
for name in "${tests[@]}"; do
    echo "=== $name"
    if ! timeout 600 bash "tests/e2e-win32/$name.sh" "$build"; then failed+=("$name"); fi
done
if [ ${#failed[@]} -ne 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All ${#tests[@]} Windows end-to-end tests passed."
