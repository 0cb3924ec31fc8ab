#!/usr/bin/env bash
# Runs the mail check benchmark: the test Dovecot, then mail_check_bench.exe under Wine.
#   bench/mail_check_bench.sh [WIN_BUILD_DIR] [rounds]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/win}" && pwd)
rounds=${2:-20}
exe="$build/tests/mail_notifier/mail_check_bench.exe"
dir="$build/tests/mail_notifier/dovecot-win"
[ -f "$exe" ] || { echo "mail_check_bench: build the target mail_check_bench first" >&2; exit 1; }
ctl="$root/tests/mail_notifier/dovecot_ctl.sh"
# Wine's prefix belongs to the build root that holds this build.
export KARVO_BUILD_ROOT="${KARVO_BUILD_ROOT:-$(dirname "$build")}"
bash "$ctl" start "$dir"
trap 'bash "$ctl" stop "$dir"' EXIT
"$root/tools/with-wine.sh" "$root/tools/wine-run" "$exe" "$rounds"
