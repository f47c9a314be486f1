#!/usr/bin/env bash
# Builds and runs the model-loading benchmark under Wine: loading files of 1,
# 100 and 1000 rules into the model (start-up and reload of the control
# center), as a ratio to parsing the same file with MSXML alone.
#   WIN=build/win   the Windows build tree;  $1: rounds per file (5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win="${WIN:-build/win}"
case "$win" in /*) ;; *) win="$root/$win" ;; esac
bash "$root/scripts/setup-machine.sh"
[ -f "$win/CMakeCache.txt" ] ||
  cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$win" -j 2 --target bench_model_load >/dev/null
WINEPREFIX="$win/wineprefix" "$root/scripts/wine-session.sh" \
  "$root/scripts/wine-exec.sh" "$win/tests/model/bench_model_load.exe" "${1:-5}"
