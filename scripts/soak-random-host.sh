#!/usr/bin/env bash
# The seeded random host's end-to-end test over as many seeds as asked (a
# soak): each failing seed with its step, what broke and the command that
# replays it; then the totals: seeds run, steps, failures (by kind).
#   scripts/soak-random-host.sh 200          seeds 1 to 200
#   scripts/soak-random-host.sh 1000-1199    a range (or a list: 5,17,40)
#   VPW_RANDOM_SEED=S [VPW_RANDOM_STEPS=K] scripts/soak-random-host.sh   one seed, as a failure prints it
#   VPW_RANDOM_STEPS=K                       steps a seed (the test's default otherwise)
#   VPW_RANDOM_PLAIN=1                       without the steps' sharper forms, as the earliest seeds were found
#   ARCH=x86|x64, WIN=build/win or WIN64=build/win64   the set and its build tree (built first when it is not)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/arch.sh"

if [ "${1:-}" = --inside ]; then
  # Inside the Wine session: ten seeds a run of the test program, so that
  # each failing seed shows while the soak goes on.
  exe=$2 log=$3
  shift 3
  for chunk in "$@"; do
    VPW_RANDOM_SEEDS=$chunk "$root/scripts/wine-exec.sh" "$exe" --gtest_color=no >"$log.part" 2>&1
    cat "$log.part" >>"$log"
    grep -a '^random host: ' "$log.part" | grep -av '^random host: [0-9]* seeds' | grep -av '^random host:   '
  done
  rm -f "$log.part"
  exit 0
fi

arch=$(vpw_arch_here) || exit 1
win=$(vpw_tree "$arch")
case "$win" in /*) ;; *) win="$root/$win" ;; esac
exe="$win/tests/extender/e2e/test_extender_e2e_random.exe"
if [ ! -f "$win/CMakeCache.txt" ]; then
  echo "no build tree at $win: run make $([ "$arch" = x64 ] && echo win64-build || echo win32-build) first" >&2
  exit 1
fi
cmake --build "$win" -j "$(nproc)" --target test_extender_e2e_random >/dev/null || exit 1

if [ -n "${VPW_RANDOM_SEED:-}" ]; then
  seeds=("$VPW_RANDOM_SEED")
  unset VPW_RANDOM_SEED
else
  spec=${1:-100}
  seeds=()
  IFS=, read -ra parts <<<"$spec"
  for part in "${parts[@]}"; do
    if [[ $part =~ ^([0-9]+)-([0-9]+)$ ]]; then
      seeds+=($(seq "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}"))
    elif [[ $part =~ ^[0-9]+$ ]] && [ ${#parts[@]} -eq 1 ]; then
      seeds+=($(seq 1 "$part"))
    elif [[ $part =~ ^[0-9]+$ ]]; then
      seeds+=("$part")
    else
      echo "seeds: a count, a range A-B or a list A,B,C; not '$part'" >&2
      exit 1
    fi
  done
fi

chunks=()
for ((i = 0; i < ${#seeds[@]}; i += 10)); do
  chunks+=("$(IFS=,; echo "${seeds[*]:i:10}")")
done

log="$win/soak-random-host.log"
: >"$log"
echo "random host soak: ${#seeds[@]} seeds of the $arch set in $win (log: $log)"
VPW_ARCH=$arch WINEPREFIX="$win/wineprefix" "$root/scripts/wine-session.sh" \
  bash "$0" --inside "$exe" "$log" "${chunks[@]}"

run=$(grep -ac '^random host: seed [0-9]*: .* passed\|^random host: seed [0-9]* step ' "$log")
steps=$(grep -a '^random host: [0-9]* seeds' "$log" | awk '{s += $5} END {print s + 0}')
failures=$(grep -ac '^random host: seed [0-9]* step ' "$log")
echo "seeds run: $run of ${#seeds[@]}, steps: $steps, failures: $failures"
# The kind: what broke, without the window's name and the details.
grep -a '^random host: seed [0-9]* step ' "$log" | sed -E ':a; s/ ?\([^()]*\)//; ta; s/.*: //; s/^[0-9]+ freed/N freed/' |
  sort | uniq -c | sort -rn | sed 's/^/  /'
[ "$failures" -eq 0 ] && [ "$run" -eq ${#seeds[@]} ]
