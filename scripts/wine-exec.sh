#!/usr/bin/env bash
# Runs one Windows program in the project's prefix (ctest's emulator). Its
# output goes through a file: Wine's helper processes would otherwise keep
# the caller's pipe open after the program ends.
source "$(dirname "$0")/wine-env.sh"
out=$(mktemp)
"$VPW_WINE" "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
