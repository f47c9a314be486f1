#!/usr/bin/env bash
# Builds and runs the hook-library benchmark under Wine: the cost of one sent
# message to a window with no hook, with the hook but no rule, and with an
# extender attached, and the time from creating a window until its extender
# is attached; against the real control center and hook library.
#   ARCH=x86|x64, WIN=build/win or WIN64=build/win64   the set and its build tree;  $1: messages per round (20000);  $2: windows (30)
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"
bench_run bench_extender tests/extender/e2e/bench_extender.exe "${1:-20000}" "${2:-30}"
