# Sourced by the Wine harness: a private, quiet Wine in the build tree.
# KARVO_BUILD_ROOT may name another build root (each developer's own, say).
_karvo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${KARVO_BUILD_ROOT:=$_karvo_root/build}"
export WINEPREFIX="${WINEPREFIX:-$KARVO_BUILD_ROOT/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
