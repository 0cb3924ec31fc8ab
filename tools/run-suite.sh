#!/usr/bin/env bash
# Starts the installed suite (the monitor starts the other programs itself).
set -uo pipefail
dist=$1
monitor="$dist/KARVO Gaming Mouse Monitor.exe"
if [ ! -f "$monitor" ]; then
  echo "run: the monitor is not built yet; it would run: wine \"$monitor\" 1"
  ls "$dist"
  exit 0
fi
wine "$monitor" 1 >/dev/null 2>&1 &
echo "run: started the monitor (pid $!) with the virtual mouse; press a virtual button with:"
echo "     tools/wine-run \"$dist/mousectl.exe\" click 4"
# On a private Xvfb the tray (Wine's own tray window, top left) is seen with a screenshot.
echo "     screenshot: import -window root -display ${DISPLAY:-:0} suite.png"
