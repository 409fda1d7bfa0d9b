#!/usr/bin/env bash
# Builds the core, kesgen-cli.exe and the core's tests for 64-bit Windows with
# Debian's MinGW-w64 cross compiler (cmake/mingw-w64-x86_64.cmake) in
# build-windows/, runs the tests under Wine, and prints the path of
# kesgen-cli.exe as its last line.
#
# Wine runs headless in a temporary prefix and a UTF-8 locale (see
# scripts/wine-env.sh).
#
# Usage: scripts/windows-cli.sh
#   KESGEN_WINDOWS_BUILD  build folder (default: build-windows)
#   KESGEN_WINEPREFIX     Wine prefix to use (default: a temporary one)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESGEN_WINDOWS_BUILD:-build-windows}

for tool in x86_64-w64-mingw32-g++-posix wine; do
  if ! command -v "$tool" >/dev/null; then
    echo "windows: $tool is missing; run scripts/install-deps.sh" >&2
    exit 1
  fi
done
if [ ! -f /usr/x86_64-w64-mingw32/lib/libz.a ]; then
  echo "windows: zlib for MinGW-w64 is missing (libz-mingw-w64-dev); run scripts/install-deps.sh" >&2
  exit 1
fi

echo "== windows: building the core, kesgen-cli.exe and the core's tests in $build" >&2
mkdir -p "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DKESGEN_BUILD_EDITOR=OFF -DKESGEN_BUILD_TESTS=ON >"$build/configure.log" 2>&1 \
  || { tail -n 40 "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j "$(nproc)" >"$build/build.log" 2>&1 || { tail -n 60 "$build/build.log" >&2; exit 1; }

echo "== windows: starting Wine" >&2
source scripts/wine-env.sh

echo "== windows: running the tests under Wine" >&2
if ! ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600 >"$build/ctest.log" 2>&1; then
  tail -n 80 "$build/ctest.log" >&2
  echo "windows: tests failed (whole output in $build/ctest.log)" >&2
  exit 1
fi
grep 'tests passed' "$build/ctest.log" | sed 's/^/windows: /' >&2
# A case that Windows can't run (a symbolic link without the privilege) skips
# itself with the reason: name each one.
awk '{ sub(/\r$/, "") }
     /: Skipped$/ { getline reason; sub(/\r$/, "", reason) }
     /^\[  SKIPPED \] [^ ]+ \(/ { print "windows: skipped " $4 ": " reason }' \
  "$build/Testing/Temporary/LastTest.log" >&2
realpath "$build/src/cli/kesgen-cli.exe"
