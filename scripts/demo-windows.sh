#!/usr/bin/env bash
# The demo of scripts/demo.sh through the product itself (scripts/demo.sh --windows): the i686
# ZelvoMW.DLL loaded by zelvomw.exe under Wine's 32-bit side, in a 32-bit Wine prefix, with the
# Windows stand-in MaicoWin as MSERVER.EXE and the same SQLite database. The Excel steps of the
# Linux demo are left out: they need Microsoft's Jet provider, which Wine does not have.
# Ends by comparing MaicoWin's request, the job's accessory list and the order file with the
# Linux demo's (build/demo-prefix, made first when missing), byte for byte; exit 1 on any
# difference.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. scripts/i386.sh
i386_runs || { echo "demo --windows: this machine runs no 32-bit x86 programs (see scripts/setup.sh)" >&2; exit 1; }

linux="$root/build/demo-prefix"
if [ ! -f "$linux/drive_c/ZELVO/TMP/KBA12345.TXT" ]; then
  echo "== the Linux demo first, to compare with (build/demo-prefix)"
  ZELVOMW_PREFIX="$linux" bash scripts/demo.sh >"$root/build/demo-linux.log" 2>&1 ||
    { cat "$root/build/demo-linux.log"; exit 1; }
fi

echo "== the product build (i686)"
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win32 -j "$(nproc)" --target zelvomw zelvomw_cmd maicowin_sim oltrex
bin="$root/build/win32/bin"
linux_bin="$root/build/linux/bin"

export WINEPREFIX="$root/build/demo-prefix-win32" WINEARCH=win32 WINEDEBUG=-all
wine=/usr/lib/wine/wine
wineserver=/usr/lib/wine/wineserver
$wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
echo "== a new 32-bit Wine prefix: $WINEPREFIX"
$wine wineboot -i >/dev/null 2>&1 || true
$wineserver -w || true
c="$WINEPREFIX/drive_c"
[ -f "$WINEPREFIX/system.reg" ] || { echo "demo --windows: Wine made no prefix" >&2; exit 1; }

display=""
if [ -z "${DISPLAY:-}" ]; then
  # MaicoWin's calculation window needs a display, even unseen.
  display=":$((80 + RANDOM % 9))"
  Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
  xvfb=$!
  trap 'WINEPREFIX="$WINEPREFIX" $wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
  export DISPLAY="$display"
else
  trap 'WINEPREFIX="$WINEPREFIX" $wineserver -k 2>/dev/null || true' EXIT
fi

# The installation as in the Linux demo, with the program files of the Windows build.
cp -r samples/maicowin "$c/MAICOWIN"
cp "$bin/maicowin-sim.exe" "$c/MAICOWIN/BIN/MSERVER.EXE"
cp -r samples/zelvo "$c/ZELVO"
mkdir -p "$c/ZELVOMW"
cp "$bin/zelvomw.exe" "$bin/ZelvoMW.DLL" "$bin/Oltrex.dll" "$c/ZELVOMW/"
cp samples/windows/ZELVO.INI "$c/windows/ZELVO.INI"
# Wine's odbc32 hands the connection text to the host's ODBC driver manager, so the database
# file is named by its POSIX path.
sed -i "s|^DB_FILE=.*|DB_FILE=$c/ZELVO/DB/ZELVO.DB\\r|" "$c/windows/ZELVO.INI"
sed -i "s|^Database=.*|Database=$c/ZELVO/DB/ZELVO.DB\\r|I" "$c/ZELVO/ZELVO32.DSN"
cp samples/db/sqlite/ZELVOMW.XML "$c/ZELVO/ZELVOMW.XML"
sqlite3 "$c/ZELVO/DB/ZELVO.DB" < samples/db/sqlite/schema.sql
sqlite3 "$c/ZELVO/DB/ZELVO.DB" < samples/db/seed.sql
ZELVOMW_PREFIX="$WINEPREFIX" "$linux_bin/zelvomw" job make 'C:\ZELVO\JOBS\DEMO.MW' < samples/zelvo/JOBS/DEMO.jsonl
mkdir -p "$c/MAICO"
cp samples/maico/LISTINO.XLS samples/maico/LISTINO.XLSX "$c/MAICO/"
cp samples/maico/ARTICOLI_A.ASC "$c/MAICO/ARTICOLI.ASC"

export ZELVOMW_UI=batch ZELVOMW_UI_LOG='C:\ZELVO\ui.log'
# The demo's window maker is Italian, as the Linux demo's default locale is. The order file's
# dates are cut from the date text by position, so they follow the user's locale: under
# Wine's default (English, mm/dd/yyyy) Christmas 2008 would reach Maico as 20082512.
export ZELVOMW_LOCALE=it-IT
zelvomw() { (cd "$c/ZELVOMW" && $wine zelvomw.exe "$@") | tr -d '\r'; }
expect_result() {
  local want=$1 got out
  shift
  out=$(zelvomw "$@")
  printf '%s\n' "$out"
  got=$(tail -n 1 <<<"$out")
  [ "$got" = "$want" ] || { echo "demo --windows: zelvomw.exe $* returned '$got', expected $want" >&2; exit 1; }
}

echo "== zelvomw.exe ControllaInstallazioneMW"
expect_result 1 ControllaInstallazioneMW
echo "== zelvomw.exe LanciaConfiguratoreMW (as in the Linux demo: the Excel list typed in, the ASC file"
echo "   picked, \"Chiudi\")"
ZELVOMW_UI_SCRIPT='set 1025 C:\MAICO\LISTINO.XLS; click 1026; pick C:\MAICO\ARTICOLI.ASC; click 1' \
  expect_result 1 LanciaConfiguratoreMW
echo "== zelvomw.exe doctor"
zelvomw doctor || true
echo "== zelvomw.exe LanciaCalcoloMW C:\\ZELVO\\JOBS\\DEMO.MW"
expect_result 1 LanciaCalcoloMW 'C:\ZELVO\JOBS\DEMO.MW'
echo "== the job's accessory list, C:\\ZELVO\\JOBS\\DEMO.FIT:"
zelvomw job show 'C:\ZELVO\JOBS\DEMO.FIT'
echo "== zelvomw.exe Ordine2Mw ORD-2008-001 Z W"
expect_result 0 Ordine2Mw ORD-2008-001 Z W
echo "== what the user saw (C:\\ZELVO\\ui.log):"
cat "$c/ZELVO/ui.log"

echo "== compared with the Linux demo (build/demo-prefix)"
different=0
for file in MAICOWIN/EXCH/MWIMPORT.TXT ZELVO/JOBS/DEMO.FIT ZELVO/TMP/KBA12345.TXT; do
  if cmp -s "$linux/drive_c/$file" "$c/$file"; then
    echo "identical: C:\\${file//\//\\} ($(stat -c %s "$c/$file") bytes)"
  else
    echo "DIFFERENT: C:\\${file//\//\\}: build/demo-prefix-win32 and build/demo-prefix differ" >&2
    cmp "$linux/drive_c/$file" "$c/$file" >&2 || true
    different=1
  fi
done
[ "$different" = 0 ] || { echo "demo --windows: the product's files differ from the Linux demo's" >&2; exit 1; }
echo "demo --windows: the product DLL under Wine wrote the same request, accessory list and order file as the Linux demo"
