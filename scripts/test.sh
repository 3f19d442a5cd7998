#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Quillmate with its tests and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" -DQM_BUILD_TESTS=ON
build="${QM_BUILD_DIR:-$root/build}"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
