#!/usr/bin/env bash
# Runs every benchmark program and prints what it reports:
#   tools/run-benchmarks.sh <native build dir> <win build dir>
# the native Google Benchmark programs in <native>/bench, then the timing programs
# in <win>/bench under the project's Wine (one Wine session for all of them).
# Exits non-zero when a benchmark program fails; the others still run.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [ "${1:-}" = "--under-wine" ]; then
  rc=0
  for exe in "$2"/bench/*.exe; do
    [ -f "$exe" ] || continue
    echo "== $(basename "$exe") (Wine)"
    "$root/tools/wine-run" "$exe" || { echo "!! $(basename "$exe") failed" >&2; rc=1; }
  done
  exit $rc
fi

if [ $# -ne 2 ]; then
  echo "usage: $0 <native build dir> <win build dir>" >&2
  exit 2
fi
native=$1
win=$2
rc=0

found=0
for exe in "$native"/bench/*; do
  [ -f "$exe" ] && [ -x "$exe" ] || continue
  found=1
  echo "== $(basename "$exe")"
  "$exe" || { echo "!! $(basename "$exe") failed" >&2; rc=1; }
done
[ "$found" -eq 1 ] || echo "(no native benchmarks in $native/bench)"

if compgen -G "$win/bench/*.exe" >/dev/null; then
  win_abs=$(cd "$win" && pwd)
  "$root/tools/with-wine.sh" "$0" --under-wine "$win_abs" || rc=1
else
  echo "(no Windows benchmarks in $win/bench)"
fi
exit $rc
