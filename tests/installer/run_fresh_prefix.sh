#!/usr/bin/env bash
# Runs the setup program's tests in a Wine prefix made for them alone: the setup meets a
# machine nothing was installed on before, and its registry, Start menu and named objects stay
# apart from the prefix the other tests share. The prefix is removed afterwards.
#   run_fresh_prefix.sh TEST_PROGRAM [ARGS...]
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-env.sh"
export WINEPREFIX="$KARVO_BUILD_ROOT/installer-wineprefix"
export KARVO_INSTALLER="${KARVO_INSTALLER:-$KARVO_BUILD_ROOT/installer/KARVO Gaming Mouse Setup.exe}"
# Under Wine the tests see the users' write access as group permission bits; nothing else may
# carry them.
umask 022

reset_prefix() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
}
reset_prefix
trap reset_prefix EXIT
mkdir -p "$(dirname "$WINEPREFIX")"
if ! wineboot -i </dev/null >/dev/null 2>&1; then
  echo "run_fresh_prefix: could not create the Wine prefix $WINEPREFIX" >&2
  exit 1
fi
wineserver -p >/dev/null 2>&1
wine "$@"
