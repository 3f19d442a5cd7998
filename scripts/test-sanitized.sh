#!/usr/bin/env bash
# Builds the core and its unit tests with AddressSanitizer and UndefinedBehaviorSanitizer
# (scripts/build-sanitized.sh) and runs them; any report fails the test that caused it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QM_FUZZ_BUILD_DIR:-$root/build-fuzz}"
"$root/scripts/build-sanitized.sh" "$build"
cd "$build"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --output-on-failure --parallel "$(nproc)" --timeout 900 "$@"
