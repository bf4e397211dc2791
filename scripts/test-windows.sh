#!/usr/bin/env bash
# Cross-builds the core, the tools and their tests for 64-bit Windows with mingw-w64 and runs
# the tests under Wine, in a Wine prefix of their own that is removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --windows
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
      -DMAILQUARRY_BUILD_UI=OFF -DMAILQUARRY_WERROR=$werror >/dev/null
cmake --build build-win

prefix="$(mktemp -d)"
cleanup() {
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
# Console programs need no display. Wine takes an English system (code page 1252) from the
# C locale, and file names in UTF-8 from its UTF-8 form, which every Debian system has. A
# zone with daylight time, so that the zone's bias is not zero.
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" TZ=Europe/Berlin \
       LC_ALL=C.UTF-8
# One server for the whole run rather than one per test program.
wineserver -p
wineboot -i >/dev/null 2>&1
ctest --test-dir build-win --output-on-failure -j2
