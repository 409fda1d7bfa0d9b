#!/usr/bin/env bash
# Installs what is missing and runs every check, in this order:
#   1. the whole test suite built with AddressSanitizer and
#      UndefinedBehaviorSanitizer (build-asan/): any report fails its test;
#   2. each fuzz target for a bounded time (scripts/fuzz.sh, build-fuzz/);
#   3. the release build and its test suite (build/).
# Stops with a non-zero status at the first stage that fails. Ends with
# CTest's summary line of the release build.
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=60

# Runs a command with its output in a log file; shows the end of the log and
# stops when it fails.
quietly() {
  local log=$1
  shift
  if ! "$@" >"$log" 2>&1; then
    tail -n 80 "$log" >&2
    echo "failed: $* (whole output in $log)" >&2
    exit 1
  fi
}

bash scripts/install-deps.sh

echo "== sanitizers: building the test suite with AddressSanitizer and UndefinedBehaviorSanitizer"
mkdir -p build-asan
quietly build-asan/configure.log cmake -S . -B build-asan -G Ninja -DKESGEN_BUILD_TESTS=ON \
  -DKESGEN_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
quietly build-asan/build.log cmake --build build-asan -j "$(nproc)"
# A report of either sanitizer, or a leak, ends the test program with an error.
# No leak is suppressed: the editor's tests run on Qt's offscreen platform
# without one. A test that hangs fails after five minutes.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
quietly build-asan/ctest.log ctest --test-dir build-asan --output-on-failure -j "$(nproc)" --timeout 300
echo "== sanitizers: $(grep 'tests passed' build-asan/ctest.log)"

bash scripts/fuzz.sh "$fuzz_seconds"

echo "== release build and tests"
cmake -S . -B build -G Ninja -DKESGEN_BUILD_TESTS=ON >/dev/null
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
