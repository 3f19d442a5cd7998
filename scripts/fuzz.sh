#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer)
# into build-fuzz/ (or $QM_FUZZ_BUILD_DIR) and runs each for a set time on its corpus.
#   scripts/fuzz.sh [seconds per target] [target...]     (default 60 s, every target)
# The corpus of each target grows in <build>/corpus/<target> (seeded by qm_fuzz_seeds from the
# program's own writers and the test executables); a crash is kept in <build>/crashes/ and fails
# the run. A summary line per target gives its executions and coverage.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QM_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${1:-60}"
shift || true

"$root/scripts/build-sanitized.sh" "$build" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in "$build"/bin/fuzz_*; do targets+=("$(basename "$t")"); done
fi
"$build/bin/qm_fuzz_seeds" "$build/corpus" "$build/testdata/pe"
# Archives for fuzz_archive, made with the tools the tests use; the first byte picks the family
# (0 LHA, 1 ZIP, 2 CAB, 3 TAR, 4 RAR, 5 7z).
if [ -x "$build/bin/fuzz_archive" ]; then
  work="$(mktemp -d)"
  mkdir -p "$work/in/dir" "$build/corpus/fuzz_archive"
  printf 'hello\n' >"$work/in/a.txt"
  printf 'second file\n' >"$work/in/dir/b.txt"
  ln -s a.txt "$work/in/link"
  seed() { { printf "\\x$1"; cat "$2"; } >"$build/corpus/fuzz_archive/$3"; }
  (cd "$work/in" && zip -qry "$work/a.zip" .) && seed 01 "$work/a.zip" zip
  bsdtar -cf "$work/a.tar" -C "$work/in" . && seed 03 "$work/a.tar" tar
  bsdtar -czf "$work/a.tgz" -C "$work/in" . && seed 03 "$work/a.tgz" tgz
  (cd "$work/in" && 7z a -bd "$work/a.7z" a.txt dir >/dev/null) && seed 05 "$work/a.7z" 7z
  (cd "$work/in" && gcab -c "$work/a.cab" a.txt dir/b.txt) && seed 02 "$work/a.cab" cab
  (cd "$work/in" && jlha a "$work/a.lzh" a.txt dir/b.txt >/dev/null 2>&1) && seed 00 "$work/a.lzh" lzh || true
  rm -rf "$work"
fi
# A Windows program with an icon of two sizes, built with the tests' mingw tools, for the icon
# reader; and an ELF program with AppImage update information for the sources' reader (its
# first byte, 5, picks that reader).
work="$(mktemp -d)"
mkdir -p "$build/corpus/fuzz_pe_icon" "$build/corpus/fuzz_sources"
(cd "$work" && convert -size 32x32 xc:red -define icon:auto-resize=32,16 icon.ico &&
  printf '1 ICON "icon.ico"\n' >a.rc && printf 'int main(void){return 0;}\n' >m.c &&
  x86_64-w64-mingw32-windres -O coff -i a.rc -o a.o &&
  x86_64-w64-mingw32-gcc -s -o a.exe m.c a.o &&
  cp a.exe "$build/corpus/fuzz_pe_icon/icon.exe") >/dev/null 2>&1 || true
(cd "$work" && printf 'int main(void){return 0;}\n' >r.c && cc -s -o runtime r.c &&
  printf 'gh-releases-zsync|acme|tool|latest|Tool-*.AppImage.zsync' >info &&
  objcopy --add-section .upd_info=info runtime &&
  { printf '\x05'; cat runtime; } >"$build/corpus/fuzz_sources/elf-updinfo") >/dev/null 2>&1 || true
rm -rf "$work"
mkdir -p "$build/crashes" "$build/logs"

failed=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$build/crashes/$t-")
  dict="$root/tests/fuzz/$t.dict"
  [ -f "$dict" ] && args+=(-dict="$dict")
  log="$build/logs/$t.log"
  if "$build/bin/$t" "${args[@]}" "$corpus" >"$log" 2>&1; then
    status=ok
  else
    status=FAILED
    failed=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 || true)
  units=$(find "$corpus" -type f | wc -l)
  printf '%-20s %-6s %ss  %s runs  %s  %s  corpus %s\n' "$t" "$status" "$seconds" "${runs:-?}" \
    "${cov:-cov: ?}" "${ft:-ft: ?}" "$units"
  if [ "$status" = FAILED ]; then tail -40 "$log" >&2; fi
done
exit $failed
