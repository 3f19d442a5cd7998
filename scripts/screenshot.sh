#!/usr/bin/env bash
# Takes a screenshot of the main window with a Japanese archive open, under Xvfb, into
# docs/screenshot.png (or the path given). Builds first when the program is missing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QM_BUILD_DIR:-$root/build}"
out="${1:-$root/docs/screenshot.png}"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac

if [ ! -x "$build/bin/Quillmate" ] || [ ! -f "$build/testdata/pe/japanese.exe" ]; then
  "$root/scripts/build.sh"
fi

# A private home, so the shot neither reads nor leaves settings, work folders or a database.
# A short folder name keeps the proposed install paths readable in the picture.
work="$(mktemp -d /tmp/qmXXX)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
export XDG_CACHE_HOME="$work/home/.cache" QUILLMATE_SYSTEM_ROOT="$work/system" TMPDIR="$work"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$QUILLMATE_SYSTEM_ROOT"

# The archive: Japanese names stored in code page 932, as archives made on Japanese Windows are.
src="$work/src/画像ビューア"
mkdir -p "$src/ヘルプ" "$src/設定"
cp "$build/testdata/pe/japanese.exe" "$src/ビューア.exe"
printf 'viewer help\r\n' > "$src/ヘルプ/使い方.txt"
printf 'readme\r\n' > "$src/はじめにお読みください.txt"
printf '[Viewer]\r\n' > "$src/設定/既定値.ini"
printf 'changes\r\n' > "$src/更新履歴.txt"
touch -d '2024-04-01 09:30' "$src"/*.* "$src"/*/*
# bsdtar reads the names it is given through its locale, so a plain or non-UTF-8 environment
# would store them as question marks.
(cd "$work/src" && LC_ALL=C.UTF-8 bsdtar --format zip --options zip:hdrcharset=CP932 -cf "$work/画像ビューア120.zip" 画像ビューア)

mkdir -p "$(dirname "$out")"
# The program grabs its own window once the archive is shown and ends (a switch for this
# script only, through the environment).
LANG=C.UTF-8 LC_TIME=ja_JP.UTF-8 QUILLMATE_SCREENSHOT="$out" \
  xvfb-run -a -s "-screen 0 1024x768x24" "$build/bin/Quillmate" "$work/画像ビューア120.zip"
echo "Screenshot written to $out"
