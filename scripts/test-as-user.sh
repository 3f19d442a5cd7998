#!/usr/bin/env bash
# Runs the built tests once more as an ordinary user (made for the purpose when run as root), so
# that a test that passes only for the superuser cannot come back: the dialogs refuse folders an
# ordinary user cannot write, and read-only folders stop only an ordinary user.
#   scripts/test-as-user.sh [ctest arguments]    (after scripts/test.sh; the build is given to
#                                                 the user for the run and taken back after it)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QM_BUILD_DIR:-$root/build}"
if [ "$(id -u)" -ne 0 ]; then
  cd "$build" && exec ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
fi
user=qmtestuser
id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/bash "$user"
home="$(getent passwd "$user" | cut -d: -f6)"
owner="$(stat -c %u:%g "$build")"
# The user must reach the clone: folders above it that others cannot pass through get the
# right to pass (not to list) for the run, and lose it again after.
opened=()
dir="$root"
while [ "$dir" != / ]; do
  dir="$(dirname "$dir")"
  if [ "$(( $(stat -c %a "$dir" | sed 's/^.*\(.\)$/\1/') & 1 ))" -eq 0 ]; then
    chmod o+x "$dir"
    opened+=("$dir")
  fi
done
restore() {
  chown -R "$owner" "$build"
  for d in "${opened[@]}"; do chmod o-x "$d"; done
}
trap restore EXIT
chown -R "$user" "$build"
# The tests read the sources (test data, the catalogue) and run from the build.
chmod -R a+rX "$root"
cd "$build"
runuser -u "$user" -- env HOME="$home" PATH=/usr/local/bin:/usr/bin:/bin \
  ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
