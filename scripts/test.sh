#!/usr/bin/env bash
# Installs what is missing, builds kesgen with its tests and runs the whole
# test suite. Ends with CTest's summary line.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build -G Ninja -DKESGEN_BUILD_TESTS=ON >/dev/null
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
