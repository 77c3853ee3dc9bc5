#!/bin/sh
# Builds the library, ksgnss and the test suite for another platform from the
# same sources and runs the tests under its emulator:
#   tools/cross_check.sh windows [BUILD_DIR]   MinGW-w64, tests under Wine
#   tools/cross_check.sh arm [BUILD_DIR]       32-bit ARM, tests under QEMU
# JOBS sets the build's parallelism. GoogleTest is compiled from the sources
# of Debian's libgtest-dev.
set -eu
cd "$(dirname "$0")/.."

target=${1:-}
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}
case "$target" in
  windows) toolchain=cmake/mingw-w64.cmake ;;
  arm) toolchain=cmake/arm-linux-gnueabihf.cmake ;;
  *) echo "usage: $0 windows|arm [BUILD_DIR]" >&2; exit 2 ;;
esac
build=${2:-build-$target}
launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"

KSPARSE_CROSS=$target tools/ensure_deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" $launcher \
  -DKSPARSE_BUILD_BENCH=OFF ${CMAKE_FLAGS:-} >/dev/null
cmake --build "$build" -j "$JOBS"

if [ "$target" = windows ]; then
  # One Wine prefix per build tree, created once.
  WINEPREFIX=${WINEPREFIX:-$(pwd)/$build/wineprefix}
  WINEDEBUG=${WINEDEBUG:--all}
  export WINEPREFIX WINEDEBUG
  wine=$(sed -n 's/^KSPARSE_WINE:FILEPATH=//p' "$build/CMakeCache.txt")
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot --init </dev/null >/dev/null 2>&1 || true
    wineserver -w  # its wineserver ends before ours starts
  fi
  # One wineserver kept alive for the whole run, since starting Wine costs
  # seconds. It fails when the prefix has a server already: that one is
  # someone else's, used as it is and left running.
  if wineserver -p </dev/null >/dev/null 2>&1; then
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
    trap 'exit 130' INT TERM
  fi
  # Wine's background services start with the first program and live as long
  # as the server: started here, they hold none of ctest's files or pipes.
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
fi
ctest --test-dir "$build" --output-on-failure -j "$JOBS"
