#!/usr/bin/env bash
# Builds the program and starts it under Wine, with a demo removable drive E:
# backed by a folder in the build tree. On Windows the exe itself is the
# program: build/win32/QZ_LoadingModule.exe runs as it is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QZ_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
QZ_BUILD_DIR=$build "$root/scripts/build.sh"

run=$build/run
demo=$run/demo-drive
mkdir -p "$run/program" "$demo"
export WINEPREFIX=$run/prefix WINELOADER=/usr/lib/wine/wine64 WINEDEBUG=-all
wine=/usr/lib/wine/wine64
qzauto=$build/win64/tests/e2e/qzauto/qzauto.exe

if [[ ! -f "$WINEPREFIX/.qz-ready" ]]; then
  echo "Preparing a Wine prefix in $WINEPREFIX ..."
  rm -rf "$WINEPREFIX"
  WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY='' "$wine" wineboot -i >"$run/wineboot.log" 2>&1
  wineserver -w
  touch "$WINEPREFIX/.qz-ready"
fi

xvfb_pid=
if [[ -z "${DISPLAY:-}" ]]; then
  for ((n = 50; n < 90; n++)); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:$n
  sleep 1
  # Without a window manager, unmanaged windows close message boxes at once.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
fi
cleanup() { [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null; wineserver -k 2>/dev/null || true; }
trap cleanup EXIT
trap 'exit 130' INT TERM

# The demo drive: a removable drive E: that is the folder $demo.
ln -sfn "$demo" "$WINEPREFIX/dosdevices/e:"
"$wine" reg add 'HKLM\Software\Wine\Drives' /v e: /t REG_SZ /d floppy /f >/dev/null 2>&1
"$wine" "$qzauto" mount e "$demo" removable 2>/dev/null

cp "$build/win64/QZ_LoadingModule.exe" "$run/program/"
cat <<INFO
QZ_LoadingModule is starting under Wine (display $DISPLAY).
Demo removable drive E: is the folder
  $demo
Pick E:\\ in the window and press the write button; the files arrive there.
INFO
if [[ -n "$xvfb_pid" ]]; then
  cat <<INFO
There is no X display here, so the window is on the virtual display $DISPLAY.
A screenshot will be saved as $run/window.png. To press the button from
another shell:
  DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX WINELOADER=$wine $wine $qzauto click 103
Close the program with Ctrl+C here.
INFO
  ( sleep 4; import -display "$DISPLAY" -window root "$run/window.png" 2>/dev/null || true ) &
fi
cd "$run/program"
"$wine" QZ_LoadingModule.exe
