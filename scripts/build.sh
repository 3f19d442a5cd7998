#!/usr/bin/env bash
# Configures and builds Quillmate into build/ (or $QM_BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QM_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
# QM_BUILD_TARGETS names the targets to build (the run command builds only the program and
# what it starts); without it everything, the tests included.
targets=()
for t in ${QM_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"
