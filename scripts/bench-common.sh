# Sourced by the benchmark scripts: root, arch (ARCH=x86|x64, 32-bit where it
# runs) and win (WIN or WIN64, build/win or build/win64 by default, made
# absolute), the machine set up and the Windows tree configured for a release
# build.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/setup-machine.sh"
source "$root/scripts/arch.sh"
arch=$(vpw_arch_here)
export VPW_ARCH="$arch"
win=$(vpw_tree "$arch")
case "$win" in /*) ;; *) win="$root/$win" ;; esac
echo "benchmark of the $arch set in $win"
cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$(vpw_toolchain "$arch")" -DCMAKE_BUILD_TYPE=Release >/dev/null

# bench_run TARGET PROGRAM [ARGS...]: builds the target with two jobs and runs
# its program (a path inside the tree) under Wine.
bench_run() {
  local target=$1 program=$2
  shift 2
  cmake --build "$win" -j 2 --target "$target" >/dev/null
  WINEPREFIX="$win/wineprefix" "$root/scripts/wine-session.sh" "$root/scripts/wine-exec.sh" "$win/$program" "$@"
}
