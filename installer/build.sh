#!/usr/bin/env bash
# Builds "KARVO Gaming Mouse Setup.exe" from an install directory laid out by `make dist`.
#   installer/build.sh DIST_DIR OUTPUT_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
dist=$1
mkdir -p "$2"
out=$(cd "$2" && pwd)
lists="$out/dist-files.nsh"
setup="$out/KARVO Gaming Mouse Setup.exe"
"$here/list-dist.sh" "$dist" "$lists"
makensis -V2 -INPUTCHARSET UTF8 -DKARVO_DIST_LISTS="$lists" -DKARVO_OUTFILE="$setup" \
  "$here/karvo.nsi"
echo "installer: $setup"
