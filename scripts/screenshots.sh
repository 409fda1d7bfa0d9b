#!/usr/bin/env bash
# Makes the pictures of the README and docs/guide.md from the real editor:
# opens examples/example.kgp in the editor under Xvfb and saves each named shot
# (tests/app/editor_screenshot.cpp lists them) into docs/. Fails when a picture
# can't be made.
#   scripts/screenshots.sh [BUILD_FOLDER]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

bash scripts/install-deps.sh

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DKESGEN_BUILD_TESTS=ON >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target editor_screenshot >/dev/null

shooter="$build/tests/app/editor_screenshot"
# Every shot the program knows must come out as a PNG.
expected=$("$shooter" --list | awk '{print "docs/" $2}')
rm -f $expected
# Settings, recent projects and recovery copies in a folder of their own, so
# that nothing of the user's shows in the pictures or asks a question.
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
XDG_DATA_HOME="$profile/data" XDG_CONFIG_HOME="$profile/config" QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1 \
  xvfb-run -a -s "-screen 0 1600x1000x24" "$shooter" docs examples/example.kgp >/dev/null
for picture in $expected; do
  if ! file -b "$picture" 2>/dev/null | grep -q '^PNG image data'; then
    echo "screenshots: $picture was not made" >&2
    exit 1
  fi
done
echo "screenshots: $(echo "$expected" | wc -l) pictures in docs/"
