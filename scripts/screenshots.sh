#!/usr/bin/env bash
# Photographs the library's windows as a Windows user sees them: zelvomw.exe drives the real
# DLL under Wine, in Wine's virtual desktop on Xvfb, and the screen is grabbed while each window
# is up. Pictures go to docs/screens/*.png.
#   docs/screens/1002-attesa.png                 the wait dialog, while MaicoWin calculates
#   docs/screens/sei-sicuro.png                  the question after "Annulla"
#   docs/screens/1000-configurazione.png         the configuration dialog
#   docs/screens/1009-aggiornamento-archivi.png  the archive update, opened from it
#   docs/screens/1017-formato-excel.png          the Excel format, one letter typed
#   docs/screens/sfoglia-cartella.png            the folder browser, a folder chosen by path
#   docs/screens/1003-progresso.png              the progress of the accessory list, two steps of four
# The configuration road is the Windows window test's (tests/windows): it stops at each window
# and waits while the screen is grabbed. Everything runs as the product does: the i686 DLL and
# programs of build/win32-tests, under Wine's 32-bit side in a 32-bit prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bin="$root/build/win32-tests/bin"
[ -x "$bin/zelvomw.exe" ] && [ -x "$bin/windows_tests.exe" ] || { echo "screenshots: build build/win32-tests first (scripts/test.sh)" >&2; exit 1; }
out="$root/docs/screens"
mkdir -p "$out"

prefix=$(mktemp -d /tmp/zelvomw-screens-XXXXXX)
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
wine() { /usr/lib/wine/wine "$@"; }
wineserver() { /usr/lib/wine/wineserver "$@"; }
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

# The configuration road: the window test (tests/windows) works each window as a person does
# and copies each window's own pixels into a picture on the way.
pictures=$(mktemp -d /tmp/zelvomw-pictures-XXXXXX)
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$prefix" "$pictures"' EXIT
wineserver -k 2>/dev/null || true
# Wine draws each window's caption and frame itself (there is no window manager on Xvfb). Not
# in a virtual desktop: there the 32-bit X11 driver ends the test with an X error (BadWindow).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
wineserver -w || true
(cd "$bin" && ZMW_PHOTO_DIR="Z:${pictures//\//\\}" wine windows_tests.exe \
   "--gtest_output=xml:Z:${pictures//\//\\}\\result.xml" >/dev/null 2>&1)
for _ in $(seq 3000); do [ -f "$pictures/result.xml" ] && break; sleep 0.1; done
grep -q 'failures="0"' "$pictures/result.xml" 2>/dev/null ||
  { echo "screenshots: the window test failed" >&2; cat "$pictures/result.xml" >&2 2>/dev/null; ls -la "$pictures" >&2; exit 1; }
for name in 1000-configurazione 1009-aggiornamento-archivi 1017-formato-excel sfoglia-cartella 1003-progresso; do
  [ -f "$pictures/$name.bmp" ] || { echo "screenshots: no picture of $name" >&2; exit 1; }
  convert "$pictures/$name.bmp" "$out/$name.png"
  echo "screenshots: docs/screens/$name.png"
done
