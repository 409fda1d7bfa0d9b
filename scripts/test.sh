#!/usr/bin/env bash
# Installs what is missing and runs every check, in this order:
#   1. the whole test suite built with AddressSanitizer and
#      UndefinedBehaviorSanitizer (build-asan/): any report fails its test;
#   2. each fuzz target for a bounded time (scripts/fuzz.sh, build-fuzz/);
#   3. the release build and its test suite (build/);
#   4. the Debian package of that build (scripts/package.sh), checked by
#      lintian and from its installed files (tests/packaging/);
#   5. the core, kesgen-cli.exe and the core's tests for Windows, the tests
#      and a generation of the example run under Wine (scripts/windows-cli.sh,
#      build-windows/, tests/windows/);
#   6. the generation tests built with ThreadSanitizer (scripts/tsan.sh,
#      build-tsan/);
#   7. the pictures of the README and docs/guide.md, made from the editor
#      under Xvfb (scripts/screenshots.sh).
# Stops with a non-zero status at the first stage that fails; a stage that
# can't run (a missing tool, say) fails with the reason. Ends with the time
# each stage took.
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=20

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

# Runs one stage (a function) and remembers how long it took.
timings=()
stage() {
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  "$@"
  timings+=("$(printf '%-12s %4d s' "$name" $((SECONDS - start)))")
}
report_timings() {
  echo "== time per stage"
  printf '   %s\n' "${timings[@]}"
  echo "   total        $(printf '%4d' "$SECONDS") s"
}

install_stage() {
  bash scripts/install-deps.sh
}

sanitizers_stage() {
  mkdir -p build-asan
  # -O1 with line tables only: half the build time of -O2 -g, and every
  # report still names the functions and lines of its stack.
  quietly build-asan/configure.log cmake -S . -B build-asan -G Ninja -DKESGEN_BUILD_TESTS=ON \
    -DKESGEN_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
  quietly build-asan/build.log cmake --build build-asan -j "$(nproc)"
  # A report of either sanitizer, or a leak, ends the test program with an
  # error. No leak is suppressed: the editor's tests run on Qt's offscreen
  # platform without one. A test that hangs fails after five minutes.
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    quietly build-asan/ctest.log ctest --test-dir build-asan --output-on-failure -j "$(nproc)" --timeout 300
  echo "sanitizers: $(grep 'tests passed' build-asan/ctest.log)"
}

fuzz_stage() {
  bash scripts/fuzz.sh "$fuzz_seconds"
}

release_stage() {
  cmake -S . -B build -G Ninja -DKESGEN_BUILD_TESTS=ON >/dev/null
  cmake --build build -j "$(nproc)"
  ctest --test-dir build --output-on-failure -j "$(nproc)"
}

package_stage() {
  local package
  package=$(KESGEN_PACKAGE_BUILD=build bash scripts/package.sh | tail -n 1)
  echo "package: $package"
  bash tests/packaging/installed_package_test.sh "$package" build/src/cli/kesgen-cli
}

windows_stage() {
  local exe
  # One Wine prefix for the tests and the example, removed afterwards.
  KESGEN_WINEPREFIX=$(mktemp -d /tmp/kesgen-wine.XXXXXX)
  export KESGEN_WINEPREFIX
  trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; rm -rf "$KESGEN_WINEPREFIX"' EXIT
  exe=$(bash scripts/windows-cli.sh | tail -n 1)
  echo "windows: $exe"
  bash tests/windows/windows_example_test.sh "$exe" build/src/cli/kesgen-cli
}

tsan_stage() {
  bash scripts/tsan.sh
}

# The pictures always show the current editor.
screenshots_stage() {
  bash scripts/screenshots.sh build
}

stage install install_stage
stage sanitizers sanitizers_stage
stage fuzz fuzz_stage
stage release release_stage
stage package package_stage
stage windows windows_stage
stage tsan tsan_stage
stage screenshots screenshots_stage
report_timings
