# Sourced by the benchmark scripts: root and win (WIN, build/win by default,
# made absolute), the machine set up and the Windows tree configured for a
# release build.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
win="${WIN:-build/win}"
case "$win" in /*) ;; *) win="$root/$win" ;; esac
bash "$root/scripts/setup-machine.sh"
cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null

# bench_run TARGET PROGRAM [ARGS...]: builds the target with two jobs and runs
# its program (a path inside the tree) under Wine.
bench_run() {
  local target=$1 program=$2
  shift 2
  cmake --build "$win" -j 2 --target "$target" >/dev/null
  WINEPREFIX="$win/wineprefix" "$root/scripts/wine-session.sh" "$root/scripts/wine-exec.sh" "$win/$program" "$@"
}
