#!/usr/bin/env bash
# Builds and runs the model-loading benchmark under Wine: loading files of 1,
# 100 and 1000 rules into the model (start-up and reload of the control
# center), as a ratio to parsing the same file with MSXML alone.
#   ARCH=x86|x64, WIN=build/win or WIN64=build/win64   the set and its build tree;  $1: rounds per file (5)
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"
bench_run bench_model_load tests/model/bench_model_load.exe "${1:-5}"
