#!/usr/bin/env bash
# Builds the Debian package of kesgen (the editor, kesgen-cli, the desktop
# files, the manual page) with CPack in build-package/, checks it with
# lintian, and prints the package's path as its last line. Install it with
#   apt install ./kesgen_*.deb
#
# Usage: scripts/package.sh
#   KESGEN_PACKAGE_BUILD  build folder (default: build-package)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${KESGEN_PACKAGE_BUILD:-build-package}

for tool in cpack dpkg-shlibdeps help2man lintian; do
  if ! command -v "$tool" >/dev/null; then
    echo "package: $tool is missing; run scripts/install-deps.sh" >&2
    exit 1
  fi
done

# A build folder of its own needs no tests; an existing one (the release
# build of scripts/test.sh) is packaged as it is configured.
options=()
[ -f "$build/CMakeCache.txt" ] || options=(-DKESGEN_BUILD_TESTS=OFF)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
rm -f "$build"/kesgen_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { tail -n 40 "$build/cpack.log" >&2; exit 1; }

package=$(ls "$build"/kesgen_*.deb)
# Errors and warnings are shown, and either fails the build of the package.
if ! lintian --fail-on error,warning "$package" >&2; then
  echo "package: lintian found errors or warnings in $package" >&2
  exit 1
fi
realpath "$package"
