#!/usr/bin/env bash
# Renders every skinned window of the configurator in every state under Wine and writes PNG
# files, with one sheet per window (normal and hover above, selected and disabled below);
# given the install directory too, the installed configurator's real pages as well
# (configurator_<view>.png):
#   tools/gallery.sh <win build dir> <output dir> [<install dir>]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ $# -ne 2 ] && [ $# -ne 3 ]; then
  echo "usage: $0 <win build dir> <output dir> [<install dir>]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
# Every window of the tables, then the windows whose programs fill them (the macro manager).
galleries=("$build/tests/skin/skin_gallery.exe" "$build/tests/editors/editors_gallery.exe")
for exe in "${galleries[@]}"; do
  [ -f "$exe" ] || { echo "gallery: $exe is not built" >&2; exit 1; }
done
mkdir -p "$2"
out=$(cd "$2" && pwd)
rm -rf "$out"/*.png "$out/bmp"
mkdir -p "$out/bmp"

for exe in "${galleries[@]}"; do
  "$root/tools/with-wine.sh" "$root/tools/wine-run" "$exe" "Z:$out/bmp"
done
pages=$build/tests/e2e/pages_gallery.exe
if [ $# -eq 3 ] && [ -f "$pages" ]; then
  dist=$(cd "$3" && pwd)
  "$root/tools/with-wine.sh" "$root/tools/wine-run" "$pages" "Z:$dist" "Z:$out/bmp"
fi

for bmp in "$out"/bmp/*.bmp; do
  convert "$bmp" "$out/$(basename "${bmp%.bmp}").png"
done
for normal in "$out"/*_normal.png; do
  name=$(basename "${normal%_normal.png}")
  montage "$out/${name}_normal.png" "$out/${name}_hover.png" "$out/${name}_selected.png" \
    "$out/${name}_disabled.png" -tile 2x2 -geometry +6+6 -background white \
    "$out/${name}_sheet.png"
done
rm -rf "$out/bmp"
echo "gallery: $(ls "$out"/*_sheet.png | wc -l) window sheets and $(ls "$out"/configurator_*.png 2>/dev/null | wc -l) views of the configurator, $(ls "$out"/*.png | wc -l) pictures in $out"
