#!/usr/bin/env bash
# Builds the parsers' libFuzzer targets (build/fuzz, clang, ASan and UBSan) and runs them one
# at a time, each on its corpus in build/fuzz/corpus/<target>, which is kept from run to run
# and seeded from samples/ where a sample is that target's kind of input.
#
#   bash scripts/fuzz.sh [target...]       every target, or the ones named
#
#   ZELVOMW_FUZZ_RUNS      executions per target (default 1000000; -1: no limit)
#   ZELVOMW_FUZZ_SECONDS   seconds per target at most (default 0: no limit)
#   ZELVOMW_FUZZ_SECONDS_<target>   the same for one target
#   ZELVOMW_BUILD_LOCK     a file to hold with flock while configuring and building, where
#                          other builds share the machine
#
# One line per target: executions, executions a second, seconds, corpus entries, crashes (the
# artifacts left in build/fuzz/<target>-*). Exits non-zero when a target crashed or failed.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(fuzz_ini fuzz_job_record fuzz_result_line fuzz_statement_file fuzz_statement_format fuzz_number_text
         fuzz_conn_text fuzz_asc_line fuzz_workbook_xlsx fuzz_workbook_xls fuzz_archive_lines fuzz_oltrex_list)
runs=${ZELVOMW_FUZZ_RUNS:-1000000}
seconds=${ZELVOMW_FUZZ_SECONDS:-0}
if [ $# -gt 0 ]; then targets=("$@"); fi

# scripts/test.sh has run it already.
[ "${ZELVOMW_SETUP_DONE:-0}" = 1 ] || bash scripts/setup.sh

# Samples that are a target's input as they are.
seeds() {
  case $1 in
    fuzz_ini) echo samples/windows/ZELVO.INI samples/maicowin/BIN/*.INI samples/zelvo/ZelvoDbConn.ini ;;
    fuzz_statement_file) echo samples/db/*/ZELVOMW.XML ;;
    fuzz_archive_lines) echo samples/maicowin/DATI/*.DAT ;;
    fuzz_oltrex_list) echo samples/zelvo/ZELVOMW/MAICOWIN.FIT samples/zelvo/ZELVOMW/MAICOWIN.KIT ;;
  esac
}

# The stand-in import library reads its lists in pieces of 4096 characters: its inputs must be
# able to hold a line longer than that.
max_len() {
  case $1 in
    fuzz_oltrex_list) echo 12288 ;;
    fuzz_workbook_xls) echo 8192 ;;
    *) echo 2048 ;;
  esac
}

locked() {
  if [ -n "${ZELVOMW_BUILD_LOCK:-}" ]; then flock "$ZELVOMW_BUILD_LOCK" "$@"; else "$@"; fi
}

locked env CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELVOMW_TESTS=OFF -DZELVOMW_FUZZ=ON -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
  >/dev/null
locked cmake --build build/fuzz -j "$(nproc)" --target "${targets[@]}"

artifacts() { find build/fuzz -maxdepth 1 -type f \( -name "$1-crash-*" -o -name "$1-leak-*" -o -name "$1-timeout-*" \
  -o -name "$1-oom-*" \) | wc -l; }

failed=0
summary=()
for name in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$name
  log=build/fuzz/$name.log
  mkdir -p "$corpus"
  for seed in $(seeds "$name"); do cp -n "$seed" "$corpus/seed-$(basename "$seed")"; done
  # The .xls target's input is a workbook stream after an even byte: the first records of the
  # field test's workbooks (globals, shared strings, the first cells) start it off.
  if [ "$name" = fuzz_workbook_xls ]; then
    /usr/bin/python3 - "$corpus" tests/db/field/*.xls <<'PY'
import os, sys, xlrd.compdoc
for path in sys.argv[2:]:
    with open(path, 'rb') as f:
        data = f.read()
    stream = data  # the sheets of Excel 2 to 4 are the bare stream
    if data[:8] == xlrd.compdoc.SIGNATURE:
        doc = xlrd.compdoc.CompDoc(data, logfile=open(os.devnull, 'w'))
        stream = doc.get_named_stream('Workbook') or doc.get_named_stream('Book') or doc.get_named_stream('WORKBOOK')
    if stream:
        with open(os.path.join(sys.argv[1], 'seed-' + os.path.basename(path)), 'wb') as out:
            out.write(b'\0' + bytes(stream[:8191]))
PY
  fi
  limit_var=ZELVOMW_FUZZ_SECONDS_$name
  limit=${!limit_var:-$seconds}
  args=(-runs="$runs" -max_len="$(max_len "$name")" -artifact_prefix="build/fuzz/$name-" -print_final_stats=1)
  [ "$limit" = 0 ] || args+=(-max_total_time="$limit")
  before=$(artifacts "$name")
  start=$EPOCHREALTIME
  status=0
  "build/fuzz/bin/$name" "${args[@]}" "$corpus" >"$log" 2>&1 || status=$?
  end=$EPOCHREALTIME
  executed=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$' || true)
  [ -n "$executed" ] || executed=$(grep -o '^#[0-9]*' "$log" | tail -n 1 | tr -d '#' || true)
  elapsed=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.0f", b - a }')
  speed=$(awk -v n="${executed:-0}" -v a="$start" -v b="$end" 'BEGIN { printf "%.0f", n / (b - a) }')
  entries=$(find "$corpus" -type f | wc -l)
  crashes=$(( $(artifacts "$name") - before ))
  line=$(printf '%-22s %10s runs %8s exec/s %6s s  corpus %6s  crashes %s' \
    "$name" "${executed:-?}" "$speed" "$elapsed" "$entries" "$crashes")
  if [ "$status" != 0 ] || [ "$crashes" != 0 ]; then
    line+="  FAILED (exit $status), see $log"
    failed=1
  fi
  echo "$line"
  [ "$status" = 0 ] || tail -n 20 "$log"
  summary+=("$line")
done

if [ ${#targets[@]} -gt 1 ]; then
  echo
  printf '%s\n' "${summary[@]}"
fi
[ "$failed" = 0 ]
