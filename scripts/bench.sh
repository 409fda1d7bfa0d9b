#!/usr/bin/env bash
# Builds the benchmarks (Release), makes a large synthetic level in a temp
# folder (32 layers, about 3 million triangles, an animated layer of 50
# frames, 32 photo-like 1024 x 1024 textures) and measures in one run:
#   our OBJ reader against tinyobjloader, our texture compression against one
#   compress2 at level 6, whole generation (one thread and all cores) against
#   the floor (reading every mesh plus one compress2 per texture), and the
#   peak memory of generation; and on a level of one 84 MB mesh, whole
#   generation against tinyobjloader and against our reader, 1 and all threads;
# then the editor's preview: building the scene of the level against reading
# its files, and the frame time of the level and of the example level at
# 1280 x 720 (under Xvfb, with Mesa's software renderer); the editor's
# window with the level open: a key typed into the title, a target moved and
# a level of one 16384 x 16384 texture opened, until each is shown; then the
# math of editing in the 3D view: building the surface picker against
# building the scene, and the surface point under the mouse from the
# preview's framing; and one step of a drag in the editor's view (the
# document's edit, the scene restated, the handle under the mouse, the
# overlay rebuilt and uploaded), without drawing.
# Ends with a table of the ratios and their targets. Extra arguments go to
# kesgen-bench (--repetitions=N, --threads=N, --benchmark_filter=...).
# KESGEN_BENCH_BUILD names the build folder (default /tmp/build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

build="${KESGEN_BENCH_BUILD:-/tmp/build-bench}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESGEN_BUILD_BENCH=ON -DKESGEN_BUILD_EDITOR=ON \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" >/dev/null
cmake --build "$build" -j 2 --target kesgen-bench kesgen-bench-level kesgen-bench-generate kesgen-bench-preview \
  kesgen-bench-editor kesgen-bench-view-editing kesgen-bench-drag

level="$(mktemp -d -t kesgen-bench.XXXXXX)"
trap 'rm -rf "$level"' EXIT
"$build/bench/kesgen-bench-level" "$level"
echo "load average before the run: $(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)"
"$build/bench/kesgen-bench" --level="$level/level.kgp" --one_mesh="$level/one/one.kgp" --generate_tool="$build/bench/kesgen-bench-generate" "$@"
xvfb-run -a -s "-screen 0 1600x1000x24" "$build/bench/kesgen-bench-preview" --level="$level/level.kgp" \
  --draw=examples/example.kgp
xvfb-run -a -s "-screen 0 1600x1000x24" "$build/bench/kesgen-bench-editor" --level="$level/level.kgp"
"$build/bench/kesgen-bench-view-editing" --level="$level/level.kgp"
xvfb-run -a -s "-screen 0 1600x1000x24" "$build/bench/kesgen-bench-drag" --level="$level/level.kgp"
echo "load average after the run: $(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)"
