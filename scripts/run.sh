#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Quillmate and starts it (optionally with an archive).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
# Only the program and what it starts (the installer, the uninstaller, the archiver libraries):
# the tests are built by the test command.
QM_BUILD_TARGETS="Quillmate quill" "$root/scripts/build.sh"
build="${QM_BUILD_DIR:-$root/build}"
if [ -x "$build/bin/Quillmate" ]; then
  exec "$build/bin/Quillmate" "$@"
else
  echo "Quillmate is built; the main window is not part of this build yet."
fi
