#!/usr/bin/env bash
# Builds and runs the hook-library benchmark under Wine: the cost of one sent
# message to a window with no hook, with the hook but no rule, and with an
# extender attached, and the time from creating a window until its extender
# is attached; against the real control center and hook library.
#   WIN=build/win   the Windows build tree;  $1: messages per round (20000);  $2: windows (30)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win="${WIN:-build/win}"
case "$win" in /*) ;; *) win="$root/$win" ;; esac
bash "$root/scripts/setup-machine.sh"
cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$win" -j 2 --target bench_extender >/dev/null
WINEPREFIX="$win/wineprefix" "$root/scripts/wine-session.sh" \
  "$root/scripts/wine-exec.sh" "$win/tests/extender/e2e/bench_extender.exe" "${1:-20000}" "${2:-30}"
