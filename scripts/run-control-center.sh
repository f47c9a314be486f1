#!/usr/bin/env bash
# Starts the control center and the configuration program under Wine, in a
# folder of their own with the programs of the build and the example
# configuration beside them, and stays until the control center ends
# (Ctrl+C stops both).
#   ARCH=x86|x64         the 32-bit set (default where it runs) or the 64-bit one
#   WIN=build/win        the 32-bit build tree (its bin/ holds the programs)
#   WIN64=build/win64    the 64-bit build tree
#   VPW_USE_DISPLAY=1    on $DISPLAY when it is set, otherwise a virtual display
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/arch.sh"
arch=$(vpw_arch_here)
export VPW_ARCH="$arch"
win=$(vpw_tree "$arch")
case "$win" in /*) ;; *) win="$root/$win" ;; esac
bin="$win/bin"
run="$win/run"
center="VelvicPlimsyWindowsCenter.exe"

[ -f "$bin/$center" ] || { echo "$bin/$center is missing: run 'make build' first" >&2; exit 1; }
mkdir -p "$run"
cp -f "$bin"/*.exe "$run"/
cp -f "$bin"/*.dll "$run"/ 2>/dev/null || true
if [ ! -f "$run/velvicplimsywindows.ini" ]; then
  cp "$root/examples/velvicplimsywindows.ini" "$run/"
  echo "configuration: copied the example to $run/velvicplimsywindows.ini"
else
  echo "configuration: keeping $run/velvicplimsywindows.ini (delete it to get the example back)"
fi
if [ ! -f "$bin/vpwemb.dll" ]; then
  standin="$win/tests/control_center/testhook/vpwemb.dll"
  [ -f "$standin" ] || { echo "no hook library: neither $bin/vpwemb.dll nor the tests' stand-in is built" >&2; exit 1; }
  cp -f "$standin" "$run/vpwemb.dll"
  echo "hook library: vpwemb.dll is not built yet; using the tests' stand-in, which only logs to $run/vpwemb.log"
fi

# A prefix of its own, so that a running control center and its hook stay
# out of the way of the tests' prefix.
export WINEPREFIX="$run/wineprefix"
export VPW_RUN_DIR="$run" VPW_CENTER="$center" VPW_CONFIG="VelvicPlimsyWindowsConfig.exe" VPW_ON_USER_DISPLAY=
[ -n "${VPW_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ] && VPW_ON_USER_DISPLAY=1
exec "$root/scripts/wine-session.sh" bash -c '
  cd "$VPW_RUN_DIR"
  "$VPW_WINE" "$VPW_CENTER" >"$VPW_RUN_DIR/center.out" 2>&1 </dev/null &
  pid=$!
  sleep 2
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"; rc=$?
    echo "the control center ended at once (exit code $rc): another one runs in this prefix, or its configuration file or hook library is missing" >&2
    exit 1
  fi
  if [ -n "$VPW_ON_USER_DISPLAY" ]; then where="your display $DISPLAY"; else where="the virtual display $DISPLAY (VPW_USE_DISPLAY=1 shows it on yours)"; fi
  echo "started the $VPW_ARCH $VPW_CENTER from $VPW_RUN_DIR on $where"
  config=
  if [ -f "$VPW_CONFIG" ]; then
    "$VPW_WINE" "$VPW_CONFIG" >"$VPW_RUN_DIR/config.out" 2>&1 </dev/null &
    config=$!
    echo "started $VPW_CONFIG: edit the rules there and save; the control center reloads them"
  fi
  echo "  Wine prefix: $WINEPREFIX"
  echo "  a window it acts on: WINEPREFIX=$WINEPREFIX WINEARCH=$WINEARCH DISPLAY=$DISPLAY $VPW_WINE notepad"
  echo "  a picture of the screen: DISPLAY=$DISPLAY import -window root shot.png"
  echo "stop it: Ctrl+C here, or Close in its tray menu"
  trap "kill $pid $config 2>/dev/null" INT TERM
  wait "$pid" || true
  echo "the control center has ended"
'
