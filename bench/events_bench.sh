#!/usr/bin/env bash
# Runs the button-function and game-check benchmarks under Wine against an install directory.
#   bench/events_bench.sh [WIN_BUILD_DIR] [DIST_DIR] [presses]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/win}" && pwd)
dist=$(cd "${2:-$root/dist}" && pwd)
presses=${3:-200}
for exe in events_bench games_check_bench; do
  [ -f "$build/bench/$exe.exe" ] || { echo "$exe: build the target $exe first" >&2; exit 1; }
done
export KARVO_BUILD_ROOT="${KARVO_BUILD_ROOT:-$(dirname "$build")}"
KARVO_DIST="$dist" "$root/tools/with-wine.sh" "$root/tools/wine-run" "$build/bench/events_bench.exe" \
  "Z:${dist//\//\\}" "$presses"
"$root/tools/with-wine.sh" "$root/tools/wine-run" "$build/bench/games_check_bench.exe" 500
