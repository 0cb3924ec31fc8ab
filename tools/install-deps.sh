#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, only what is missing.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in cmake ninja-build make g++ googletest libgtest-dev libbenchmark-dev \
         g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686 \
         wine wine32:i386 xvfb xauth x11-apps imagemagick dovecot-pop3d nsis \
         pkg-config libcairo2-dev libfontconfig-dev libjpeg62-turbo-dev fonts-liberation \
         fonts-wqy-microhei clang x11-utils x11vnc; do
  have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
echo "installing: ${need[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
