#!/usr/bin/env bash
# The monitor's resident cost under Wine with the virtual mouse, next to a floor program (a
# hidden window and a message loop): working set after start, and CPU time over an idle period
# read from /proc, since Wine does not count other processes' times.
#   bench/monitor_idle_bench.sh [WIN_BUILD_DIR] [idle seconds]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/win}" && pwd)
idle=${2:-60}
exe="$build/tests/monitor/monitor_idle_bench.exe"
[ -f "$exe" ] || { echo "monitor_idle_bench: build the target monitor_idle_bench first" >&2; exit 1; }
export KARVO_BUILD_ROOT="${KARVO_BUILD_ROOT:-$(dirname "$build")}"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$build/src/monitor/monitor_program.exe" "$dir/KARVO Gaming Mouse Monitor.exe"
cp "$build/sim/hidgate.dll" "$build/sim/mousectl.exe" "$dir/"

measure() {
  local wine_run="$root/tools/wine-run"
  ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
  rss() { awk '/VmRSS/ {print $2}' "/proc/$1/status"; }
  "$wine_run" "$exe" --floor &
  local floor=$!
  (cd "$dir" && exec "$wine_run" "$dir/KARVO Gaming Mouse Monitor.exe") &
  local monitor=$!
  sleep 10  # both started, the mouse's configuration read back
  local hz f0 m0 f1 m1 frss mrss
  hz=$(getconf CLK_TCK)
  f0=$(ticks $floor); m0=$(ticks $monitor)
  frss=$(rss $floor); mrss=$(rss $monitor)
  sleep "$idle"
  f1=$(ticks $floor); m1=$(ticks $monitor)
  local ws
  ws=$("$wine_run" "$exe" --measure | tr -d '\r')
  wait $floor $monitor || true
  echo "idle ${idle} s                 Windows working set KB  Linux RSS KB  idle CPU ms"
  printf "%-28s %22s %13s %12s\n" "floor (hidden window)" "$(echo "$ws" | awk '{print $3}')" \
    "$frss" $(( (f1 - f0) * 1000 / hz ))
  printf "%-28s %22s %13s %12s\n" "monitor + virtual mouse" "$(echo "$ws" | awk '{print $5}')" \
    "$mrss" $(( (m1 - m0) * 1000 / hz ))
}
export -f measure
export root exe dir idle
"$root/tools/with-wine.sh" bash -c measure
