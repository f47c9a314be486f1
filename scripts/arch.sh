# Sourced: which Windows sets this machine can run.
#   vpw_runs32          true where the kernel runs 32-bit programs (and VPW_NO32 is not set)
#   vpw_default_arch    ARCH when given (x86 or x64), else x86 where it runs, else x64
#   vpw_arch_here       the same, refusing (with the reason) a 32-bit set that cannot run here
#   vpw_tree ARCH       the build tree of that set (WIN / WIN64 override them)
#   vpw_toolchain ARCH  its CMake toolchain file

vpw_runs32() {
  [ -z "${VPW_NO32:-}" ] || return 1
  if [ -z "${vpw_runs32_answer:-}" ]; then
    # Running the 32-bit loader is running something 32-bit.
    if /usr/lib/wine/wine --version >/dev/null 2>&1 </dev/null; then vpw_runs32_answer=yes; else vpw_runs32_answer=no; fi
  fi
  [ "$vpw_runs32_answer" = yes ]
}

vpw_why_no32() {
  if [ -n "${VPW_NO32:-}" ]; then
    echo "VPW_NO32 is set"
  else
    # The shell's own "script: line N:" prefix says nothing about why.
    echo "this kernel runs no 32-bit programs ($( (/usr/lib/wine/wine --version) 2>&1 </dev/null | tail -n 1 | sed 's/^.*: line [0-9]*: //'))"
  fi
}

vpw_default_arch() {
  case "${ARCH:-}" in
    x86|x64) echo "$ARCH" ;;
    "") if vpw_runs32; then echo x86; else echo x64; fi ;;
    *) echo "ARCH must be x86 or x64, not '$ARCH'" >&2; return 1 ;;
  esac
}

vpw_arch_here() {
  local arch
  arch=$(vpw_default_arch) || return 1
  if [ "$arch" = x86 ] && ! vpw_runs32; then
    echo "the 32-bit set cannot run here: $(vpw_why_no32); use ARCH=x64" >&2
    return 1
  fi
  echo "$arch"
}

vpw_tree() {
  if [ "$1" = x64 ]; then echo "${WIN64:-build/win64}"; else echo "${WIN:-build/win}"; fi
}

vpw_toolchain() {
  if [ "$1" = x64 ]; then echo mingw-x86_64.cmake; else echo mingw-i686.cmake; fi
}
