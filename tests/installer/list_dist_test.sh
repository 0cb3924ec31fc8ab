#!/usr/bin/env bash
# The setup's file lists from a made-up install directory: the user's files are installed only
# where none exists and are not removed with the programs, "$" in a name reaches NSIS escaped,
# directories go deepest first, and a name Windows cannot hold stops the build.
set -uo pipefail
list_dist="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../installer" && pwd)/list-dist.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
d="$work/dist"
mkdir -p "$d/config/old" "$d/Applets/Deep"
for f in Main.exe Config.INI hidgate.state config/Default0.kmp config/sequence.dat \
         config/notes.txt config/old/Default1.kmp 'Applets/Deep/a$b.exe'; do
  printf 'x' >"$d/$f"
done
"$list_dist" "$d" "$work/lists.nsh" || { echo "FAIL: the lists were not written"; exit 1; }
fail=0
has() { grep -qxF -- "$1" "$work/lists.nsh" || { echo "FAIL: missing: $1"; fail=1; }; }
lacks() { ! grep -qxF -- "$1" "$work/lists.nsh" || { echo "FAIL: unexpected: $1"; fail=1; }; }

for user in Config.INI hidgate.state config/Default0.kmp config/sequence.dat; do
  grep -B1 -xF -- "  File \"$d/$user\"" "$work/lists.nsh" | grep -qxF '  SetOverwrite off' ||
    { echo "FAIL: $user would be overwritten"; fail=1; }
  lacks "  Delete \"\$INSTDIR\\${user//\//\\}\""
done
for program in Main.exe config/notes.txt config/old/Default1.kmp; do
  has "  Delete \"\$INSTDIR\\${program//\//\\}\""
done
has '  Delete "$INSTDIR\Applets\Deep\a$$b.exe"'
has "  File \"$d/Applets/Deep/a\$\$b.exe\""
dirs=$(grep '^  RMDir ' "$work/lists.nsh" | tr '\n' '|')
[ "$dirs" = '  RMDir "$INSTDIR\config\old"|  RMDir "$INSTDIR\config"|  RMDir "$INSTDIR\Applets\Deep"|  RMDir "$INSTDIR\Applets"|' ] ||
  { echo "FAIL: directories removed in the order $dirs"; fail=1; }

for bad in 'a:b.exe' 'trailing.' 'quote".exe'; do
  mkdir -p "$work/bad" && printf 'x' >"$work/bad/$bad"
  if "$list_dist" "$work/bad" "$work/bad.nsh" 2>/dev/null; then
    echo "FAIL: '$bad' was packaged"
    fail=1
  fi
  rm -rf "$work/bad"
done
[ "$fail" -eq 0 ] && echo "list-dist: all checks passed"
exit $fail
