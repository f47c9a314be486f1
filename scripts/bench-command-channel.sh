#!/usr/bin/env bash
# Builds and runs the command-channel benchmark under Wine: the round trip
# of a rule lookup to the real control center with 1, 100 and 1000 rules,
# beside a bare event ping-pong between two processes.
#   WIN=build/win   the Windows build tree;  $1: round trips per line (2000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win="${WIN:-build/win}"
case "$win" in /*) ;; *) win="$root/$win" ;; esac
bash "$root/scripts/setup-machine.sh"
[ -f "$win/CMakeCache.txt" ] ||
  cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$win" -j 2 --target bench_command_channel >/dev/null
WINEPREFIX="$win/wineprefix" "$root/scripts/wine-session.sh" \
  "$root/scripts/wine-exec.sh" "$win/tests/control_center/bench_command_channel.exe" "${1:-2000}"
