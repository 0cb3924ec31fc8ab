#!/usr/bin/env bash
# Measures the setup program: its size against the install directory it packs (the
# compression ratio), and the wall time of silent installs under Wine, each into a new folder
# of a private prefix, next to the time Wine takes to start and end a trivial program.
#   installer/bench.sh DIST_DIR INSTALLER_DIR      (KARVO_BENCH_RUNS installs, default 5)
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
setup_name="KARVO Gaming Mouse Setup.exe"

# Milliseconds of each run of a command, sorted, on one line.
time_runs() {
  local runs=$1 i start
  shift
  for ((i = 1; i <= runs; i++)); do
    start=$(date +%s%N)
    "$@" "$i" >/dev/null 2>&1 || { echo "!! run $i failed: $*" >&2; return 1; }
    echo $((($(date +%s%N) - start) / 1000000))
  done | sort -n | tr '\n' ' '
}
summary() { awk '{ printf "min %d ms, median %d ms, max %d ms (%d runs)\n", $1, $(int((NF + 1) / 2)), $NF, NF }'; }
install_into() { wine "$setup" /S "/D=C:\\karvo-bench\\$1"; }
wine_floor() { wine cmd.exe /c exit; }

if [ "${1:-}" = "--under-wine" ]; then
  setup=$2
  runs=$3
  wine_floor 0 >/dev/null 2>&1
  floor=$(time_runs "$runs" wine_floor) || exit 1
  installs=$(time_runs "$runs" install_into) || exit 1
  echo "silent install under Wine: $(summary <<<"$installs")"
  echo "Wine start and end of cmd /c exit: $(summary <<<"$floor")"
  exit 0
fi

dist=$1
setup="$2/$setup_name"
[ -f "$setup" ] || { echo "bench: $setup is not built (make installer)" >&2; exit 1; }
dist_bytes=$(find "$dist" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
setup_bytes=$(stat -c %s "$setup")
echo "== installer"
awk -v d="$dist_bytes" -v s="$setup_bytes" 'BEGIN {
  printf "dist/ %d bytes, setup %d bytes: ratio %.2f:1, the setup is %.1f%% of dist/\n", d, s, d / s, 100 * s / d }'

source "$here/../tools/wine-env.sh"
export WINEPREFIX="$KARVO_BUILD_ROOT/installer-bench-wineprefix"
rm -rf "$WINEPREFIX"
"$here/../tools/with-wine.sh" "$0" --under-wine "$setup" "${KARVO_BENCH_RUNS:-5}"
rc=$?
rm -rf "$WINEPREFIX"
exit $rc
