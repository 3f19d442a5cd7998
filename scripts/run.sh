#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine with what building and running need, builds Quillmate and
# starts it (optionally with an archive). "run.sh --xvfb [archive]" starts it under Xvfb, for a
# machine without a desktop.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
xvfb=0
if [ "${1:-}" = "--xvfb" ]; then
  xvfb=1
  shift
fi
QM_WITH_XVFB=$xvfb "$root/scripts/setup.sh" --run
# Only the program and what it starts (the installer, the uninstaller, the archiver libraries):
# the tests are built by the test command, and configured only where their tools are.
options=()
dpkg -s libgtest-dev >/dev/null 2>&1 || options=(-DQM_BUILD_TESTS=OFF)
QM_BUILD_TARGETS="Quillmate quill" "$root/scripts/build.sh" "${options[@]}"
build="${QM_BUILD_DIR:-$root/build}"
if [ "$xvfb" = 1 ]; then
  exec xvfb-run -a "$build/bin/Quillmate" "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Quillmate is built, but there is no desktop (DISPLAY or WAYLAND_DISPLAY) to show it:" \
       "start it from a desktop session, or run ./scripts/run.sh --xvfb [archive]." >&2
  exit 1
fi
exec "$build/bin/Quillmate" "$@"
