#!/usr/bin/env bash
# Runs the load sampling benchmark under Wine.
#   bench/load_sample_bench.sh [WIN_BUILD_DIR] [rounds]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/win}" && pwd)
rounds=${2:-100}
exe="$build/tests/load_notifier/load_sample_bench.exe"
[ -f "$exe" ] || { echo "load_sample_bench: build the target load_sample_bench first" >&2; exit 1; }
# Wine's prefix belongs to the build root that holds this build.
export KARVO_BUILD_ROOT="${KARVO_BUILD_ROOT:-$(dirname "$build")}"
"$root/tools/with-wine.sh" "$root/tools/wine-run" "$exe" "$rounds"
