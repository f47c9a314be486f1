#!/usr/bin/env bash
# Builds and runs the command-channel benchmark under Wine: the round trip
# of a rule lookup to the real control center with 1, 100 and 1000 rules,
# beside a bare event ping-pong between two processes.
#   ARCH=x86|x64, WIN=build/win or WIN64=build/win64   the set and its build tree;  $1: round trips per line (2000)
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"
bench_run bench_command_channel tests/control_center/bench_command_channel.exe "${1:-2000}"
