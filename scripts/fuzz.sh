#!/usr/bin/env bash
# Builds the libFuzzer targets (clang-14, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each of them for SECONDS (default 60),
# two at a time. Fails when any target reports a crash, a leak, undefined
# behaviour, a timeout or an out-of-memory; the input that caused it is kept
# in BUILD/findings/<target>/ and the log in BUILD/logs/<target>.log.
#
# Usage: scripts/fuzz.sh [SECONDS]
#   KESGEN_FUZZ_BUILD  build folder (default: build-fuzz)
#   KESGEN_FUZZ_JOBS   targets run at the same time (default: 2)
# The corpus each target grows stays in BUILD/corpus/<target>/ for the next
# run; the seeds are fuzz/corpus/<target>/ and the example project's files.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=${KESGEN_FUZZ_BUILD:-build-fuzz}
jobs=${KESGEN_FUZZ_JOBS:-2}
targets=(obj_reader bmp_reader project_file level_reader)

if ! command -v clang++-14 >/dev/null; then
  echo "fuzz: clang++-14 is missing; run scripts/install-deps.sh" >&2
  exit 1
fi

echo "== fuzz: building the targets in $build"
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja \
  -DKESGEN_BUILD_FUZZ=ON -DKESGEN_BUILD_EDITOR=OFF -DKESGEN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target kesgen-cli "${targets[@]/#/fuzz_}" -- -j "$(nproc)" >/dev/null

# Seeds beside the committed ones: the example's meshes, textures, project and
# the level generated from it.
seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"/{obj_reader,bmp_reader,project_file,level_reader}
cp examples/*.obj "$seeds/obj_reader/"
cp examples/*.bmp "$seeds/bmp_reader/"
cp examples/example.kgp "$seeds/project_file/"
"$build/src/cli/kesgen-cli" generate examples/example.kgp -o "$seeds/level_reader/example.kes" >/dev/null

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# Runs one target for the given time; its exit status says whether it found
# anything.
run_target() {
  local name=$1
  local corpus="$build/corpus/$name" findings="$build/findings/$name" log="$build/logs/$name.log"
  mkdir -p "$corpus" "$findings" "$build/logs"
  # Meshes are fuzzed in pieces of a few kilobytes, which keeps every run
  # fast; the other targets take the size of their largest seed.
  local limits=()
  if [ "$name" = obj_reader ]; then limits=(-max_len=4096); fi
  nice -n 10 "$build/fuzz/fuzz_$name" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 "${limits[@]}" \
    -dict="fuzz/$name.dict" -artifact_prefix="$findings/" -print_final_stats=1 \
    "$corpus" "fuzz/corpus/$name" "$seeds/$name" >"$log" 2>&1
}

# Prints one line per target: executions and coverage, or what it found.
report() {
  local name=$1 status=$2 log="$build/logs/$1.log"
  local runs cov
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 || true)
  if [ "$status" -eq 0 ] && ! grep -q -e 'runtime error:' -e 'ERROR: .*Sanitizer' "$log"; then
    echo "fuzz_$name: ${runs:-?} runs in ${seconds} s, ${cov:-cov: ?}, no finding"
    return 0
  fi
  echo "fuzz_$name: FINDING (exit status $status), input in $build/findings/$name/, log $log:"
  grep -m 1 -A 30 -e 'ERROR:' -e 'runtime error:' -e 'check failed' -e 'ALARM' "$log" | sed 's/^/  /' || tail -n 30 "$log"
  return 1
}

echo "== fuzz: running ${#targets[@]} targets for ${seconds} s each, $jobs at a time"
failed=0
for ((first = 0; first < ${#targets[@]}; first += jobs)); do
  batch=("${targets[@]:first:jobs}")
  pids=()
  for name in "${batch[@]}"; do
    run_target "$name" &
    pids+=($!)
  done
  for i in "${!batch[@]}"; do
    status=0
    wait "${pids[$i]}" || status=$?
    report "${batch[$i]}" "$status" || failed=1
  done
done
exit $failed
