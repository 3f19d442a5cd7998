#!/bin/sh
# Brings the English catalogue up to date with the sources: new Japanese texts come in as
# unfinished entries to translate, texts no longer in the sources go. With an argument, writes
# that file instead (the catalogue test checks a copy).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
ts=${1:-$root/translations/quillmate_en.ts}
lupdate=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
cd "$root"
"$lupdate" -silent -no-obsolete -locations none -source-language ja -target-language en \
  -tr-function-alias translate+=Tr,QT_TRANSLATE_NOOP+=QM_TRANSLATE_NOOP \
  -extensions cpp,h src tools -ts "$ts"
