#!/usr/bin/env bash
# Installs what is missing, builds kesgen and kesgen-cli, and generates the
# example level in examples/ (examples/example.kes), printing its summary.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build -G Ninja -DKESGEN_BUILD_TESTS=ON >/dev/null
cmake --build build -j "$(nproc)" --target kesgen-cli kesgen

./build/src/cli/kesgen-cli generate examples/example.kgp -o examples/example.kes
./build/src/cli/kesgen-cli inspect examples/example.kes
