#!/usr/bin/env bash
# Builds the Debian package: build-deb/packages/tidewell_<version>_<arch>.deb.
# Release build with Debian's hardening flags, without tests or benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}

bash scripts/install-deps.sh package
CCACHE=$(command -v ccache || true)
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now" \
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DTIDEWELL_TESTS=OFF -DTIDEWELL_BENCH=OFF -DTIDEWELL_SANITIZE=OFF \
        ${CCACHE:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CCACHE} >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/packages/tidewell_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/packages/tidewell_*.deb
