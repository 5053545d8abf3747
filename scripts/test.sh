#!/usr/bin/env bash
# Runs every test: the formatting check; logic, platform, Qt host and end to end under ASan and
# UBSan; then the logic tests again as 32-bit Windows programs under Wine; then the packages.
# Arguments go to the Linux ctest run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh all

# Our sources follow .clang-format exactly.
git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' |
    xargs -0 clang-format --dry-run -Werror
echo "Formatting: clean"

# The core includes no host header: hosts depend on the core, never the other way round.
if git grep -nE '#include [<"](platform/(linux|qt|win32)/|Q[A-Za-z]+>|windows\.h|unistd\.h|sys/)' -- \
    src/app src/model src/runtime src/scheduling src/emptying src/tray src/startup src/platform/services \
    src/platform/controls src/platform/shared; then
    echo "The core includes a host header (above)." >&2
    exit 1
fi

start=$SECONDS
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTIDEWELL_SANITIZE=ON \
    "${launcher[@]}" >/dev/null
cmake --build build-test -j"$(nproc)"
(
    export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    cd build-test
    ctest --output-on-failure --timeout 600 "$@"
)
linux=$((SECONDS - start))

start=$SECONDS
bash scripts/test-windows.sh
windows=$((SECONDS - start))

start=$SECONDS
bash tests/packaging/run.sh
packages=$((SECONDS - start))

echo "All green. Linux: ${linux} s; Windows under Wine: ${windows} s; packages: ${packages} s (builds included)."
