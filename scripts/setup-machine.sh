#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12. Idempotent: on a
# machine that has everything it only checks and returns.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# Both Windows sets: 32-bit (i686, wine32) and 64-bit (x86_64, wine64).
pkgs=(cmake make g++ gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686
      gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
      wine wine32:i386 wine64 fonts-wine xvfb xauth x11-apps imagemagick libssl-dev googletest pkg-config)
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${need[*]} (run this script as root to install them)" >&2
  exit 1
fi
echo "installing: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
