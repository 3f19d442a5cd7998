#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-release/ (or $QM_BUILD_DIR) without the
# tests, then CPack. The package lands in that folder (quillmate_<version>_<arch>.deb).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QM_BUILD_DIR:-$root/build-release}"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
(cd "$build" && cpack -G DEB)
ls -1 "$build"/quillmate_*.deb
