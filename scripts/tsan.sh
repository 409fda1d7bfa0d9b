#!/usr/bin/env bash
# Builds the tests of generation on threads with ThreadSanitizer (build-tsan/)
# and runs them: parallel generation with 2, 3, 8 and more worker threads,
# generation in turn, the readers (a mesh file parsed in chunks, handed on
# from the parsing threads), the level file flushed to the disk on a thread
# of its own, a project's inputs checked and a level's layers extracted on
# several threads, a watch woken by the system's notifier from another
# thread, and the editor's generation in the background while its event
# loop runs. Any report of a data race, a lock-order inversion or
# another thread error fails the run.
#
# Usage: scripts/tsan.sh
#   KESGEN_TSAN_BUILD  build folder (default: build-tsan)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KESGEN_TSAN_BUILD:-build-tsan}
tests=(parallel_generation_tests generate_tests assets_tests model_tests check_tests extract_tests watch_tests
       editor_generation_progress_tests)

mkdir -p "$build"
# -O1 with line tables only, as the address sanitizer's build: about half the
# build time of -O2 -g, and every report still names functions and lines.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESGEN_BUILD_TESTS=ON \
  -DKESGEN_SANITIZE_THREAD=ON -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" >"$build/configure.log" 2>&1 \
  || { tail -n 40 "$build/configure.log" >&2; exit 1; }
cmake --build "$build" -j "$(nproc)" --target "${tests[@]}" >"$build/build.log" 2>&1 \
  || { tail -n 60 "$build/build.log" >&2; exit 1; }

# halt_on_error: the first report ends the test program with an error, so a
# report can't pass unnoticed. Qt's libraries are not instrumented: the
# memory they allocate and free among their own threads (the image scaling
# pool, say) is synchronised by code ThreadSanitizer can't see, so accesses
# made inside them are not checked, and the hand-over of queued calls is
# suppressed (tests/tsan-suppressions.txt). Everything this project compiles
# is checked.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 exitcode=66 ignore_noninstrumented_modules=1 suppressions=$PWD/tests/tsan-suppressions.txt"
export QT_QPA_PLATFORM=offscreen
# One test program; its verdict in $build/$name.verdict.
run_one() {
  local name=$1 program
  program=$(find "$build/tests" -type f -name "$name" -perm -u+x | head -n 1)
  if [ -z "$program" ]; then
    echo "tsan: $name was not built" >"$build/$name.verdict"
    return 1
  fi
  if "$program" >"$build/$name.log" 2>&1 && ! grep -q 'ThreadSanitizer' "$build/$name.log"; then
    echo "tsan: $name: $(grep -c -e '^\[       OK \]' -e '^PASS   :' "$build/$name.log") tests passed, no report" \
      >"$build/$name.verdict"
  else
    { grep -m 1 -A 40 -e 'ThreadSanitizer' -e 'FAILED' -e '^FAIL!' "$build/$name.log" || tail -n 40 "$build/$name.log"
      echo "tsan: $name failed (whole output in $build/$name.log)"; } >"$build/$name.verdict"
    return 1
  fi
}

# As many programs at once as there are cores.
jobs_running=0
for name in "${tests[@]}"; do
  if [ "$jobs_running" -ge "$(nproc)" ]; then
    wait -n || true
    jobs_running=$((jobs_running - 1))
  fi
  run_one "$name" &
  jobs_running=$((jobs_running + 1))
done
wait || true
status=0
for name in "${tests[@]}"; do
  if grep -q "tests passed, no report" "$build/$name.verdict" 2>/dev/null; then
    cat "$build/$name.verdict"
  else
    cat "$build/$name.verdict" >&2 2>/dev/null || echo "tsan: $name gave no verdict" >&2
    status=1
  fi
done
exit $status
