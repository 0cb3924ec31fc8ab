#!/usr/bin/env bash
# Starts the installed suite: the monitor with "1", which opens the configurator beside it
# (the monitor starts the other programs itself). Saves a screenshot once the configurator
# shows, and serves the display over VNC on this machine only, for watching and using it live.
set -uo pipefail
dist=$1
monitor="$dist/KARVO Gaming Mouse Monitor.exe"
shot="${KARVO_BUILD_ROOT:-$(dirname "$dist")/build}/run-screenshot.png"
if [ ! -f "$monitor" ]; then
  echo "run: the monitor is not built yet; it would run: wine \"$monitor\" 1"
  ls "$dist"
  exit 0
fi
wine "$monitor" 1 >/dev/null 2>&1 &
echo "run: started the monitor (pid $!) with the virtual mouse; it opens the configurator"

shown=0
for _ in $(seq 1 120); do
  if xwininfo -root -tree 2>/dev/null | grep -q '"KARVO Gaming Mouse Option"'; then
    shown=1
    break
  fi
  sleep 0.5
done
if [ "$shown" -eq 1 ]; then
  sleep 2  # its first paint
  if import -window root -display "$DISPLAY" "$shot" 2>/dev/null; then
    echo "run: screenshot of display $DISPLAY with the configurator: $shot"
  fi
else
  echo "run: the configurator window did not appear within 60 s"
fi

if command -v x11vnc >/dev/null 2>&1; then
  # Bound to the loopback interface, so only this machine can connect; the first free port
  # from 5900 on, which it prints as PORT=n.
  port=$(x11vnc -display "$DISPLAY" -localhost -forever -shared -nopw -quiet -bg \
    -o "${KARVO_BUILD_ROOT:-/tmp}/x11vnc.log" 2>/dev/null | sed -n 's/^PORT=//p')
  if [ -n "$port" ]; then
    echo "run: watch and use it live with a VNC viewer on this machine: vncviewer localhost:$port"
  fi
fi
echo "run: press a virtual button with: WINEPREFIX=$WINEPREFIX tools/wine-run \"$dist/mousectl.exe\" click 4"
echo "run: another screenshot: import -window root -display $DISPLAY suite.png"
