#!/usr/bin/env bash
# Configures and builds the core, its unit tests and the fuzz targets with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer (no GUI) into the folder given
# (default build-fuzz/). scripts/test-sanitized.sh runs the tests, scripts/fuzz.sh the targets.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-${QM_FUZZ_BUILD_DIR:-$root/build-fuzz}}"
shift || true
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQM_BUILD_GUI=OFF -DQM_BUILD_FUZZ=ON "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
