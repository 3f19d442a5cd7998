#!/usr/bin/env bash
# Tests the Debian package as a user gets it, outside the ordinary test run (like the
# benchmarks): lintian (its errors fail) and hardening-check of the programs, then a fresh Debian
# 12 root made with debootstrap, the package installed there with
# apt (so its dependencies resolve), then under Xvfb: the desktop names Quillmate's entry as the
# default for ZIP files, opening a ZIP with gio starts Quillmate with its plan (a screenshot is
# kept), and "apt remove" leaves nothing of Quillmate behind. Needs root and the network
# (a Debian mirror). Usage: scripts/test-package.sh [package.deb] [screenshot.png]
set -euo pipefail
root_dir="$(cd "$(dirname "$0")/.." && pwd)"
deb="${1:-$(ls -1 "$root_dir"/build-release/quillmate_*.deb 2>/dev/null | tail -1)}"
shot="${2:-$root_dir/build-release/package-test.png}"
[ -f "$deb" ] || { echo "no package: run scripts/package.sh first" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "the clean root needs root (debootstrap, chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null || apt-get install -y --no-install-recommends debootstrap

echo "== lintian (its errors fail the test)"
command -v lintian >/dev/null || apt-get install -y --no-install-recommends lintian
lintian --fail-on error --tag-display-limit 0 "$deb"

echo "== hardening of every program, above all of the two tools that run as root"
command -v hardening-check >/dev/null || apt-get install -y --no-install-recommends devscripts
unpacked="$(mktemp -d)"
dpkg-deb -x "$deb" "$unpacked"
# (Stack clash probes show only where a frame needs them, and control-flow notes only when every
# object the linker saw has them.)
hardening-check --nocfprotection "$unpacked"/usr/bin/*
rm -rf "$unpacked"

target="$(mktemp -d /var/tmp/quillmate-root.XXXXXX)"
chmod 755 "$target" # the root of the new system, which its users must be able to walk
cleanup() {
  for m in dev/pts dev proc sys; do umount -l "$target/$m" 2>/dev/null || true; done
  rm -rf --one-file-system "$target"
}
trap cleanup EXIT
mirror="${QM_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
echo "== debootstrap bookworm into $target"
debootstrap --variant=minbase bookworm "$target" "$mirror" >/dev/null
for m in proc sys dev dev/pts; do mkdir -p "$target/$m"; mount --bind "/$m" "$target/$m"; done
cp /etc/resolv.conf "$target/etc/resolv.conf"
cp "$deb" "$target/tmp/quillmate.deb"

in_root() { chroot "$target" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
  LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive /bin/bash -c "$1"; }

echo "== apt install the package (recommends left out: wine is large) and the test's tools"
in_root "apt-get update -qq && apt-get install -y -qq --no-install-recommends /tmp/quillmate.deb \
  xdg-utils desktop-file-utils shared-mime-info libglib2.0-bin xvfb xauth imagemagick zip \
  procps fonts-ipafont-gothic >/dev/null"

echo "== the desktop's default for a ZIP"
in_root "useradd -m tester"
default="$(in_root "su tester -c 'xdg-mime query default application/zip'")"
echo "xdg-mime query default application/zip: $default"
[ "$default" = "io.github.quillmate.Quillmate.desktop" ]

echo "== gio open of a ZIP under Xvfb"
in_root "su tester -c 'cd ~ && mkdir -p src && echo hello > src/readme.txt && \
  (cd src && zip -q ../sample-1.0.zip readme.txt)'"
in_root "su tester -c 'Xvfb :77 -screen 0 1024x700x24 >/dev/null 2>&1 & sleep 2; \
  export DISPLAY=:77; gio open ~/sample-1.0.zip; \
  for i in \$(seq 1 30); do pgrep -u tester -x Quillmate >/dev/null && break; sleep 0.5; done; \
  sleep 4; import -window root /tmp/package-test.png; pgrep -u tester -x Quillmate; \
  status=\$?; pkill -u tester -x Quillmate; pkill -u tester Xvfb; exit \$status'"
echo "Quillmate was started by gio open"
cp "$target/tmp/package-test.png" "$shot"
echo "screenshot: $shot"

echo "== apt remove"
in_root "apt-get remove -y -qq quillmate >/dev/null"
left="$(in_root "find /usr /etc /opt /var/lib -iname '*quillmate*' 2>/dev/null | grep -v '^/var/lib/dpkg/' || true")"
if [ -n "$left" ]; then
  echo "left behind:"; echo "$left"; exit 1
fi
echo "nothing of Quillmate left in /usr, /etc, /opt, /var/lib"
echo "package test passed"
