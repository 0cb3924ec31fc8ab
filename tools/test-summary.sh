#!/usr/bin/env bash
# One line per test suite from the GoogleTest XML results, then the total.
set -uo pipefail
total_pass=0; total_fail=0
for dir in "$@"; do
  for f in "$dir"/test-results/*.xml; do
    [ -f "$f" ] || continue
    line=$(grep -m1 '<testsuites' "$f")
    tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$line")
    fails=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$line")
    errs=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$line")
    dis=$(sed -n 's/.* disabled="\([0-9]*\)".*/\1/p' <<<"$line")
    skipped=$(grep -c '<skipped' "$f")
    failed=$(( ${fails:-0} + ${errs:-0} ))
    passed=$(( ${tests:-0} - failed - ${dis:-0} - skipped ))
    printf '%-28s %d passed, %d failed, %d skipped\n' "$(basename "$dir")/$(basename "$f" .xml):" "$passed" "$failed" "$skipped"
    total_pass=$((total_pass + passed)); total_fail=$((total_fail + failed))
  done
done
echo "total: $total_pass passed, $total_fail failed"
