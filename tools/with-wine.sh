#!/usr/bin/env bash
# Runs a command with the project's Wine ready: private prefix (created once),
# an X display (a private Xvfb when none is set: Wine cannot create any window,
# hidden or not, without one) and a persistent wineserver for the duration.
# With --keep the display and wineserver stay up after the command (make run).
set -uo pipefail
keep=0
if [ "${1:-}" = "--keep" ]; then keep=1; shift; fi
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
mkdir -p "$(dirname "$WINEPREFIX")"

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.05
    done
    if kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      break
    fi
    xvfb_pid=""
  done
  [ -n "$xvfb_pid" ] || { echo "with-wine: could not start Xvfb" >&2; exit 1; }
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "with-wine: creating the Wine prefix in $WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1
  wineserver -w
fi
wineserver -p >/dev/null 2>&1
# Start Wine's own services now, detached from our output: a service started by a
# test would inherit the test's stdout and keep ctest waiting for it to close.
wine cmd /c exit </dev/null >/dev/null 2>&1
# Fonts as on Windows, for prefixes made before this step too: text drawn with "Arial" is
# Liberation Sans (same metrics), and Chinese text (the tray menu) falls back to
# WenQuanYi Micro Hei instead of empty boxes. Both come from tools/install-deps.sh.
fonts_stamp="$WINEPREFIX/.karvo-fonts-1"
if [ ! -f "$fonts_stamp" ]; then
  ok=1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ \
    /d "Liberation Sans" /f </dev/null >/dev/null 2>&1 || ok=0
  for face in Tahoma "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" Arial \
              "Liberation Sans"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f \
      </dev/null >/dev/null 2>&1 || ok=0
  done
  [ "$ok" -eq 1 ] && touch "$fonts_stamp"
fi

cleanup() {
  if [ "$keep" -eq 0 ]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT
"$@"
rc=$?
if [ "$keep" -eq 1 ] && [ -n "$xvfb_pid" ]; then
  echo "with-wine: the programs draw on the virtual display $DISPLAY (Xvfb pid $xvfb_pid)"
fi
exit $rc
