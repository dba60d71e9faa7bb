#!/usr/bin/env bash
# Sets up a demo installation in a fresh prefix (MaicoWin in C:\MAICOWIN with the stand-in
# calculation server as MSERVER.EXE, Zelvo in C:\ZELVO with its SQLite database and a job of
# two positions) and runs the link's main job on it: the MaicoWin calculation of the job,
# through a separate MaicoWin process, into the job's accessory list.
#   ZELVOMW_PREFIX  where the demo prefix goes (default: build/demo-prefix)
# With --windows the same demo runs through the product: the i686 zelvomw.exe and ZelvoMW.DLL
# under Wine's 32-bit side, the stand-in MaicoWin as a Windows program, in the Wine prefix
# build/demo-prefix-win32; it ends by comparing MaicoWin's request, the job's accessory list and
# the order file with the Linux demo's in build/demo-prefix, byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh
if [ "${1:-}" = --windows ]; then
  exec bash scripts/demo-windows.sh
fi
cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/linux -j "$(nproc)" --target zelvomw_cmd zelvomw maicowin_sim

export ZELVOMW_PREFIX="${ZELVOMW_PREFIX:-$root/build/demo-prefix}"
export ZELVOMW_UI="${ZELVOMW_UI:-batch}"
export ZELVOMW_UI_LOG="${ZELVOMW_UI_LOG:-$ZELVOMW_PREFIX/ui.log}"
bin="$root/build/linux/bin"
c="$ZELVOMW_PREFIX/drive_c"

# A stand-in MaicoWin of an earlier run must not answer for this one.
pkill -f "$c/MAICOWIN/BIN/MSERVER.EXE" 2>/dev/null || true
rm -rf "$ZELVOMW_PREFIX"
mkdir -p "$c/windows" "$ZELVOMW_PREFIX/dosdevices"
ln -s ../drive_c "$ZELVOMW_PREFIX/dosdevices/c:"
cp -r samples/maicowin "$c/MAICOWIN"
cp "$bin/maicowin-sim" "$c/MAICOWIN/BIN/MSERVER.EXE"
cp -r samples/zelvo "$c/ZELVO"
cp samples/windows/ZELVO.INI "$c/windows/ZELVO.INI"
cp samples/db/sqlite/ZELVOMW.XML "$c/ZELVO/ZELVOMW.XML"
sqlite3 "$c/ZELVO/DB/ZELVO.DB" < samples/db/sqlite/schema.sql
sqlite3 "$c/ZELVO/DB/ZELVO.DB" < samples/db/seed.sql
"$bin/zelvomw" job make 'C:\ZELVO\JOBS\DEMO.MW' < samples/zelvo/JOBS/DEMO.jsonl

echo "== demo prefix: $ZELVOMW_PREFIX"
echo "== zelvomw doctor (before the first configuration: ZELVOMW.INI is not there yet)"
"$bin/zelvomw" doctor || true
echo "== zelvomw ControllaInstallazioneMW (MaicoWin is in C:\\MAICOWIN: found without asking)"
"$bin/zelvomw" ControllaInstallazioneMW
# Maico's files as a window maker receives them.
mkdir -p "$c/MAICO"
cp samples/maico/LISTINO.XLS samples/maico/LISTINO.XLSX "$c/MAICO/"
cp samples/maico/ARTICOLI_A.ASC "$c/MAICO/ARTICOLI.ASC"
echo "== zelvomw LanciaConfiguratoreMW (first configuration: the default keys are written, then the"
echo "   dialog: the Excel list typed in, the ASC file picked, \"Chiudi\")"
ZELVOMW_UI_SCRIPT='set 1025 C:\MAICO\LISTINO.XLS; click 1026; pick C:\MAICO\ARTICOLI.ASC; click 1' \
  "$bin/zelvomw" LanciaConfiguratoreMW
tr -d '\r' < "$c/windows/ZELVOMW.INI"
echo "== zelvomw doctor (the installation as the calculation will find it)"
"$bin/zelvomw" doctor
echo "== zelvomw LanciaCalcoloMW 'C:\\ZELVO\\JOBS\\DEMO.MW'"
"$bin/zelvomw" LanciaCalcoloMW 'C:\ZELVO\JOBS\DEMO.MW'
echo "== MaicoWin's request (C:\\MAICOWIN\\EXCH\\MWIMPORT.TXT):"
tr -d '\r' < "$c/MAICOWIN/EXCH/MWIMPORT.TXT"
echo "== the job's accessory list, C:\\ZELVO\\JOBS\\DEMO.FIT:"
"$bin/zelvomw" job show 'C:\ZELVO\JOBS\DEMO.FIT'
echo "== what the user saw ($ZELVOMW_UI_LOG):"
cat "$ZELVOMW_UI_LOG"
echo "== zelvomw Test: Maico's price list in Excel, C:\\MAICO\\LISTINO.XLS (saved by LibreOffice), into Zelvo's archive"
prices() { sqlite3 -separator ' | ' "$c/ZELVO/DB/ZELVO.DB" \
  "SELECT Codice, Descrizione, CostoUnitario FROM Accessori WHERE Produttore = 'MAICO' ORDER BY Codice"; }
echo "-- before:"; prices
"$bin/zelvomw" Test
echo "-- after:"; prices
echo "== zelvomw Test again with the same list as .xlsx (C:\\MAICO\\LISTINO.XLSX)"
sqlite3 "$c/ZELVO/DB/ZELVO.DB" "UPDATE Accessori SET CostoUnitario = 0 WHERE Produttore = 'MAICO'"
sed -i 's/LISTINO\.XLS\r$/LISTINO.XLSX\r/' "$c/windows/ZELVOMW.INI"
"$bin/zelvomw" Test
prices
echo "== zelvomw Ordine2Mw ORD-2008-001 Z W (the order file for Maico, C:\\ZELVO\\TMP\\KBA12345.TXT):"
"$bin/zelvomw" Ordine2Mw ORD-2008-001 Z W
tr -d '\r' < "$c/ZELVO/TMP/KBA12345.TXT" | sed 's/ *$/|/'
echo "== zelvomw update --all: MaicoWin's FIT and KIT lists (C:\\ZELVO\\ZELVOMW), finishes, technical sheets,"
echo "   Maico's ASC archive and the Excel net prices, in the update dialog's order"
"$bin/zelvomw" update --all
sqlite3 -separator ' | ' "$c/ZELVO/DB/ZELVO.DB" \
  "SELECT Codice, Descrizione, CostoUnitario FROM Accessori WHERE Codice IN ('700100', '301234') ORDER BY Codice;
   SELECT 'kit', Codice, Descrizione FROM Kit;
   SELECT 'scheda', * FROM SchedeTecniche ORDER BY 2;"
