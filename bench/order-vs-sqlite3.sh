#!/usr/bin/env bash
# The order export of an order of 200 000 lines (the order of bench/OrderExportBench.cpp)
# through the real zelvomw command, beside the sqlite3 shell running the export's own line
# query on the same database and writing its rows to a file (.once).
#   bench/order-vs-sqlite3.sh prepare DIR   makes a prefix with the database in DIR and prints
#                                           the two commands, one a line, to time side by side
#   bench/order-vs-sqlite3.sh [DIR]         prepares (in a temporary folder without DIR) and
#                                           times each command 5 times after one warm-up,
#                                           with /usr/bin/time, alternating them
# Needs build/linux (RelWithDebInfo, as scripts/test.sh builds it) and sqlite3.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
lines=200000
zelvomw="$root/build/linux/bin/zelvomw"
[ -x "$zelvomw" ] || { echo "build/linux/bin/zelvomw is not built" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "sqlite3 is not installed (scripts/setup.sh installs it)" >&2; exit 1; }

# The statement the export runs for its lines, with the order identifier put in.
line_query() {
  sed -n 's:.*<GET_EXP_ORDINE_DETT>\(.*\)</GET_EXP_ORDINE_DETT>.*:\1:p' samples/db/sqlite/ZELVOMW.XML |
    sed "s/%s/BENCH/"
}

prepare() {
  local dir c
  dir=$(realpath -m "$1")
  c="$dir/drive_c"
  rm -rf "$dir"
  mkdir -p "$c/windows" "$c/MAICOWIN/BIN" "$c/ZELVO/TMP" "$dir/dosdevices"
  ln -s ../drive_c "$dir/dosdevices/c:"
  printf 'MaicoWin\r\nBench\r\nA12345\r\n' >"$c/MAICOWIN/BIN/MW.INI"
  printf '[DIRS]\r\nINST_PATH=C:\\MAICOWIN\\\r\n' >"$c/windows/ZELVOMW.INI"
  printf '[SYSTEM]\r\nTMP_PATH=C:\\ZELVO\\TMP\r\nSQL_PATH=%s\r\nSTART_PATH=C:\\ZELVO\r\n' \
    "$root/samples/db/sqlite" >"$c/windows/ZELVO.INI"
  printf '[ZELVO]\r\nCONN_STRING=Driver=SQLite3;Database=C:\\ZELVO\\ZELVO.DB;NoCreat=1;JournalMode=WAL;SyncPragma=NORMAL;StepAPI=1;\r\n' \
    >"$c/ZELVO/ZelvoDbConn.ini"
  sqlite3 "$c/ZELVO/ZELVO.DB" <samples/db/sqlite/schema.sql
  sqlite3 "$c/ZELVO/ZELVO.DB" "
    INSERT INTO Ordini VALUES ('BENCH', '2008-12-25', '2008-12-01');
    WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $lines)
    INSERT INTO RigheOrdine SELECT 'BENCH', i, 'A' || (100000 + i % 50000), (1 + i % 7) + 0.5 FROM n;"
  # One export now: the database is in WAL mode from here on, as it is for every timed run.
  ZELVOMW_PREFIX="$dir" ZELVOMW_UI=batch "$zelvomw" Ordine2Mw BENCH Z W >/dev/null
  [ "$(tr -d '\r' <"$c/ZELVO/TMP/KBA12345.TXT" | wc -l)" = $((lines + 1)) ] ||
    { echo "the export did not write $lines lines" >&2; exit 1; }
  echo "env ZELVOMW_PREFIX=$dir ZELVOMW_UI=batch $zelvomw Ordine2Mw BENCH Z W"
  echo "sqlite3 $c/ZELVO/ZELVO.DB \".once $c/ZELVO/TMP/SQLITE3.TXT\" \"$(line_query)\""
}

if [ "${1:-}" = prepare ]; then
  prepare "$2"
  exit 0
fi

dir=${1:-$(mktemp -d)}
mapfile -t commands < <(prepare "$dir")
echo "A: ${commands[0]}"
echo "B: ${commands[1]}"
walls=("" "")
for run in 0 1 2 3 4 5; do
  for side in 0 1; do
    t=$( { /usr/bin/time -f '%e %U %S' bash -c "${commands[$side]} >/dev/null" ; } 2>&1 | tail -n 1)
    [ "$run" = 0 ] && continue
    echo "$([ $side = 0 ] && echo A || echo B) wall user sys: $t"
    walls[$side]+="${t%% *}"$'\n'
  done
done
median() { sort -n <<<"${walls[$1]}" | sed '/^$/d' | sed -n 3p; }
a=$(median 0) b=$(median 1)
echo "median wall: A $a s, B $b s, A/B $(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", a / b }')"
[ -n "${1:-}" ] || rm -rf "$dir"
