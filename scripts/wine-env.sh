# Sourced: the environment of the project's private Wine prefix.
#   VPW_ARCH=x86 (default) or x64: which set of programs, prefix and loader.
# Debian's wine launchers pick the 32-bit loader whenever it is installed, so
# the 64-bit set names its loader itself.
vpw_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VPW_ARCH="${VPW_ARCH:-x86}"
if [ "$VPW_ARCH" = x64 ]; then
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  VPW_WINE=/usr/lib/wine/wine64
  vpw_tree=build/win64
else
  export WINEARCH=win32
  unset WINELOADER
  VPW_WINE=wine
  vpw_tree=build/win
fi
export VPW_WINE
export WINEPREFIX="${WINEPREFIX:-$vpw_root/$vpw_tree/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
