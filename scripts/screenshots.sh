#!/usr/bin/env bash
# Photographs the library's windows as a Windows user sees them: zelvomw.exe drives the real
# DLL under Wine, in Wine's virtual desktop on Xvfb, and the screen is grabbed while each window
# is up. Pictures go to docs/screens/*.png.
#   docs/screens/1002-attesa.png    the wait dialog, while MaicoWin calculates
#   docs/screens/sei-sicuro.png     the question after "Annulla"
# Needs the x86-64 Windows build (build/win64); the dialogs that the configuration issue
# brings (1000, 1009, 1017, the folder browser) are added here as they come.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bin="$root/build/win64/bin"
[ -x "$bin/zelvomw.exe" ] || { echo "screenshots: build build/win64 first" >&2; exit 1; }
out="$root/docs/screens"
mkdir -p "$out"

prefix=$(mktemp -d /tmp/zelvomw-screens-XXXXXX)
export WINEPREFIX="$prefix" WINEDEBUG=-all
c="$prefix/drive_c"
display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$prefix"' EXIT
export DISPLAY="$display"
wine wineboot -i >/dev/null 2>&1 || true
wineserver -w || true

# A MaicoWin that never answers keeps the wait dialog up.
mkdir -p "$c/MAICOWIN/BIN" "$c/MAICOWIN/EXCH" "$c/ZELVO/JOBS" "$c/windows" "$c/Z"
cp samples/maicowin/BIN/* "$c/MAICOWIN/BIN/"
cp "$bin/maicowin-sim.exe" "$c/MAICOWIN/BIN/MSERVER.EXE"
cp "$bin/ZelvoMW.DLL" "$bin/zelvomw.exe" "$bin/Oltrex.dll" "$c/Z/"
printf '[DIRS]\r\nINST_PATH=C:\\MAICOWIN\\\r\n[GENERAL]\r\nMW_CMD_STRING=MSERVER.EXE --no-answer --idle=60\r\n' \
  > "$c/windows/ZELVOMW.INI"
printf '[SYSTEM]\r\nJOB_PATH=C:\\ZELVO\\JOBS\\\r\n' > "$c/windows/ZELVO.INI"
ZELVOMW_PREFIX="$prefix" build/linux/bin/zelvomw job make 'C:\ZELVO\JOBS\DEMO.MW' < samples/zelvo/JOBS/DEMO.jsonl

shot() { sleep "$2"; xwd -root -silent | convert xwd:- "$out/$1.png"; echo "screenshots: docs/screens/$1.png"; }

(cd "$c/Z" && wine explorer /desktop=zelvo,800x600 'C:\Z\zelvomw.exe' LanciaCalcoloMW 'C:\ZELVO\JOBS\DEMO.MW' >/dev/null 2>&1 &)
shot 1002-attesa 8
# A click on "Annulla" (the window sits at the desktop's top left) brings the question.
if command -v xdotool >/dev/null; then
  xdotool mousemove 237 82 click 1
  shot sei-sicuro 2
fi
