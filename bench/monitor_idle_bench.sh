#!/usr/bin/env bash
# The monitor's resident cost under Wine with the virtual mouse, next to a floor program (the
# same system libraries, a hidden window and a message loop): working set and anonymous memory
# after start, where that lies, and CPU time over an idle period read from /proc, since Wine
# does not count other processes' times.
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

# Private (anonymous) KB of a process by where they lie: Wine's area of each thread (stack and
# its kernel-side stack, about 1 MB resident each), Windows modules copied into memory rather
# than mapped from their files (read-only or executable private pages), the written pages of
# mapped files, the native heap, and the rest (Windows heaps, Wine's own data).
breakdown() {
  awk '
    /^[0-9a-f]+-[0-9a-f]+ / { perms = $2; name = NF >= 6 ? $NF : ""; next }
    /^Size:/ { size = $2; next }
    /^Anonymous:/ {
      kb = $2; if (kb == 0) next
      if (name == "[heap]") heap += kb
      else if (name != "") files += kb
      else if (size >= 2000 && kb >= 512) { threads += kb; count++ }
      else if (perms !~ /^rw/) copies += kb
      else other += kb }
    END { printf "threads %d KB (%d), copied modules %d KB, written file pages %d KB, native heap %d KB, other %d KB\n",
                 threads, count, copies, files, heap, other }' "/proc/$1/smaps"
}

measure() {
  local wine_run="$root/tools/wine-run"
  ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
  rss() { awk '/VmRSS/ {print $2}' "/proc/$1/status"; }
  anon() { awk '/RssAnon/ {print $2}' "/proc/$1/status"; }
  "$wine_run" "$exe" --floor &
  local floor=$!
  (cd "$dir" && exec "$wine_run" "$dir/KARVO Gaming Mouse Monitor.exe") &
  local monitor=$!
  sleep 10  # both started, the mouse's configuration read back
  local hz f0 m0 f1 m1 frss mrss
  hz=$(getconf CLK_TCK)
  f0=$(ticks $floor); m0=$(ticks $monitor)
  frss=$(rss $floor); mrss=$(rss $monitor)
  local fanon manon fparts mparts
  fanon=$(anon $floor); manon=$(anon $monitor)
  fparts=$(breakdown $floor); mparts=$(breakdown $monitor)
  sleep "$idle"
  f1=$(ticks $floor); m1=$(ticks $monitor)
  local ws
  ws=$("$wine_run" "$exe" --measure | tr -d '\r')
  wait $floor $monitor || true
  echo "idle ${idle} s                 Windows working set KB  Linux RSS KB  anonymous KB  idle CPU ms"
  printf "%-28s %22s %13s %13s %12s\n" "floor (hidden window)" "$(echo "$ws" | awk '{print $3}')" \
    "$frss" "$fanon" $(( (f1 - f0) * 1000 / hz ))
  printf "%-28s %22s %13s %13s %12s\n" "monitor + virtual mouse" "$(echo "$ws" | awk '{print $5}')" \
    "$mrss" "$manon" $(( (m1 - m0) * 1000 / hz ))
  echo "anonymous memory by where it lies:"
  printf "  %-26s %s\n" "floor" "$fparts" "monitor + virtual mouse" "$mparts"
}
export -f measure breakdown
export root exe dir idle
"$root/tools/with-wine.sh" bash -c measure
