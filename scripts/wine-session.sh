#!/usr/bin/env bash
# Runs a command inside a Wine session: a display, the private prefix (made on
# first use) and one persistent wineserver, which is stopped at the end.
#   VPW_ARCH=x64       a 64-bit prefix and loader (default x86: 32-bit)
#   VPW_USE_DISPLAY=1  use $DISPLAY when it is set instead of a virtual one
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
mkdir -p "$(dirname "$WINEPREFIX")"
log="$(dirname "$WINEPREFIX")/wine-session.log"
: >"$log"

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 </dev/null
  wineserver -w >/dev/null 2>&1 </dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

if [ -n "${VPW_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
  :
else
  fifo=$(mktemp)
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$fifo" >>"$log" 2>&1 </dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$fifo" ] && break; sleep 0.1; done
  [ -s "$fifo" ] || { echo "Xvfb did not start (see $log)" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$fifo")"
  rm -f "$fifo"
fi

if [ ! -f "$WINEPREFIX/.vpw-ready" ]; then
  echo "creating the $WINEARCH Wine prefix $WINEPREFIX (about ten seconds)"
  rm -rf "$WINEPREFIX"
  "$VPW_WINE" wineboot.exe -i >>"$log" 2>&1 </dev/null
  # Wine draws title bars itself (no window manager) and crashes end at once.
  "$VPW_WINE" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >>"$log" 2>&1 </dev/null
  "$VPW_WINE" reg.exe add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1 </dev/null
  wineserver -k >/dev/null 2>&1 </dev/null
  wineserver -w >/dev/null 2>&1 </dev/null
  touch "$WINEPREFIX/.vpw-ready"
fi

# Without fonts the caption glyphs show as letters; prefixes made before the
# fonts were installed get them here too.
if ! ls "$WINEPREFIX/drive_c/windows/Fonts/"*.ttf >/dev/null 2>&1; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
fi

# The shell hides its tray window when the last icon goes; a managed window
# without a window manager waits 2 s for that, and so does every program that
# removes its icon. Prefixes made before this get it here too.
if ! grep -qF 'explorer.exe\\X11 Driver' "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$VPW_WINE" reg.exe add 'HKCU\Software\Wine\AppDefaults\explorer.exe\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$log" 2>&1 </dev/null
fi
# Test programs that hide and show their own windows many times: the same.
for exe in test_extender_minimise.exe test_extender_actions.exe; do
  if ! grep -qF "$exe\\\\X11 Driver" "$WINEPREFIX/user.reg" 2>/dev/null; then
    "$VPW_WINE" reg.exe add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\X11 Driver" /v Managed /t REG_SZ /d N /f \
      >>"$log" 2>&1 </dev/null
  fi
done

wineserver -k >/dev/null 2>&1 </dev/null
wineserver -w >/dev/null 2>&1 </dev/null
wineserver -p </dev/null >/dev/null 2>&1 &
# Wine's services start with the first program; let them start here, away
# from the pipes of whatever runs next.
"$VPW_WINE" cmd.exe /c exit </dev/null >>"$log" 2>&1
"$@"
rc=$?
exit $rc
