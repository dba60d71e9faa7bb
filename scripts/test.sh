#!/usr/bin/env bash
# Installs what is missing, builds every build and runs every test:
#   build/linux        the Linux library, the zelvomw command and the tests (CTest)
#   build/win32        the product: ZelvoMW.DLL, 32-bit, checked for its exports and version block
#   build/win32-tests  the same sources and the Windows tests built for i686, run under Wine's
#                      32-bit side (natively, or through qemu-user where the kernel refuses
#                      32-bit programs)
# The Linux tests run a second time under AddressSanitizer and UndefinedBehaviorSanitizer
# (build/asan); ZELVOMW_SANITIZE=0 leaves that run out. ZELVOMW_WIN64=1 also builds and runs
# the x86-64 Windows twin (build/win64).
# After each build's tests one line says "<build>: N passed, M failed"; a failure does not stop
# the later builds, and the script fails at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

bash scripts/setup.sh

step() { printf '\n=== %s (at %d s)\n' "$*" "$SECONDS"; }
summaries=()
failed=0
# Runs CTest in a build folder, its output kept for the summary line.
run_ctest() {
  local label=$1 folder=$2 line
  shift 2
  (cd "$folder" && "$@" ctest -j "$jobs" --output-on-failure) 2>&1 | tee "$folder/ctest.log" || true
  line=$(python3 scripts/test-summary.py ctest "$label" "$folder/ctest.log") || failed=1
  summaries+=("$line")
  echo "$line"
}

step "MariaDB server for the server-database tests"
port=33761
while (echo >/dev/tcp/127.0.0.1/$port) 2>/dev/null; do port=$((port + 1)); done
export ZELVOMW_TEST_MARIADB
ZELVOMW_TEST_MARIADB=$(bash scripts/mariadb.sh start build/mariadb "$port" | tail -n 1)
trap 'bash scripts/mariadb.sh stop build/mariadb' EXIT
echo "MariaDB on 127.0.0.1:$port"

step "Linux build"
cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/linux -j "$jobs"

step "Linux tests"
run_ctest linux build/linux

if [ "${ZELVOMW_SANITIZE:-1}" = 1 ]; then
  step "Linux tests under ASan/UBSan"
  cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELVOMW_SANITIZE=ON >/dev/null
  cmake --build build/asan -j "$jobs"
  run_ctest asan build/asan
fi

step "Parsers under libFuzzer (${ZELVOMW_FUZZ_SECONDS:=10} s each)"
ZELVOMW_SETUP_DONE=1 ZELVOMW_FUZZ_RUNS=-1 ZELVOMW_FUZZ_SECONDS="$ZELVOMW_FUZZ_SECONDS" bash scripts/fuzz.sh

step "Windows product build (i686)"
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win32 -j "$jobs"
bash scripts/check-dll.sh build/win32

step "Packages: the Debian package and the Windows zip"
rm -rf build/packages
(cd build/linux && cpack -G DEB -B "$root/build/packages" >/dev/null)
(cd build/win32 && cpack -G ZIP -B "$root/build/packages" >/dev/null)
rm -rf build/packages/_CPack_Packages
# The listing is taken whole first: grep -q stops reading early, which pipefail would count.
listing=$(unzip -l build/packages/ZelvoMW-*-win32.zip)
for part in ZelvoMW.DLL zelvomw.exe INSTALLAZIONE.txt ZELVOMW.XML; do
  grep -q "$part" <<<"$listing" || { echo "the zip lacks $part"; exit 1; }
done
unpacked=$(mktemp -d)
dpkg-deb -x build/packages/zelvomw_*_amd64.deb "$unpacked"
"$unpacked/usr/bin/zelvomw" --help >/dev/null
ZELVOMW_PREFIX="$unpacked/prefix" "$unpacked/usr/share/zelvomw/zelvomw-demo" >"$unpacked/demo.log" 2>&1 \
  || { cat "$unpacked/demo.log"; exit 1; }
grep -q '"count":7' "$unpacked/demo.log" || { echo "the packaged demo made no accessory list"; cat "$unpacked/demo.log"; exit 1; }
echo "packages: $(cd build/packages && ls | tr '\n' ' '); the unpacked .deb ran the demo's calculation"
pkill -f "$unpacked/prefix" 2>/dev/null || true
rm -rf "$unpacked"

. scripts/i386.sh
wine_suites=platform_tests,base_tests,maicowin_tests,calc_tests,db_tests,order_tests,archive_tests,import_tests,module_tests,doctor_tests,windows_tests,host_tests
# Runs a Windows build's suites under Wine (each suite one CTest test), each writing its
# GoogleTest report, and sums the cases.
run_wine_suites() {
  local label=$1 folder=$2 note=$3 line results
  results="$root/$folder/results"
  rm -rf "$results" "$root/$folder/wineprefix" "$root/$folder/wineprefix.lock"
  mkdir -p "$results"
  export WINEPREFIX="$root/$folder/wineprefix" WINEDEBUG=-all
  # Windows need a display under Wine; Xvfb gives one to the tests that make windows.
  (cd "$folder" && GTEST_OUTPUT="xml:Z:${results//\//\\}\\" xvfb-run -a ctest --output-on-failure) 2>&1 |
    tee "$folder/ctest.log" || true
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  line=$(python3 scripts/test-summary.py gtest "$label" "$results" "$wine_suites" "$note") || failed=1
  summaries+=("$line")
  echo "$line"
  unset WINEPREFIX
}

win32_ran=0
if i386_runs; then
  mode=$(i386_mode)
  step "Windows tests of the product's sources, i686, under Wine's 32-bit side ($mode)"
  cmake -S . -B build/win32-tests -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELVOMW_TESTS=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build build/win32-tests -j "$jobs"
  run_wine_suites win32 build/win32-tests "$mode"
  win32_ran=1
else
  line="win32: NOT RUN: this machine runs no 32-bit x86 programs (no qemu-user from bookworm-backports registered in binfmt_misc); the product DLL's tests, the Windows MaicoWin under Wine and the Windows demo were not run"
  printf '\n!!!!! %s\n' "$line"
  summaries+=("$line")
fi

if [ "${ZELVOMW_WIN64:-0}" = 1 ]; then
  step "Windows tests, x86-64, under Wine"
  cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
  cmake --build build/win64 -j "$jobs"
  run_wine_suites win64 build/win64 ""
fi

if [ "$win32_ran" = 1 ]; then
  step "Linux library with a Windows MaicoWin under Wine"
  # The Linux build starts the i686 stand-in through Wine, sees it in the process walk and
  # reaches its calculation window; each test sets up its own Wine prefix.
  xvfb-run -a env ZELVOMW_TEST_WINDOWS_SIM="$root/build/win32-tests/bin/maicowin-sim.exe" \
    build/linux/bin/tools_tests --gtest_filter='WineMaicoWin.*' || { failed=1; summaries+=("wine-maicowin: failed"); }

  step "Kill and server-death tests through the product: zelvomw.exe and ZelvoMW.DLL (i686) under Wine"
  # The same cases as the Linux run's, each run of the operation the product's own.
  rm -rf "$root/build/win32-tests/results-faults"
  xvfb-run -a env ZELVOMW_TEST_WINDOWS_COMMAND="$root/build/win32-tests/bin/zelvomw.exe" \
    build/linux/bin/tools_tests --gtest_filter='KilledRuns.*:Operations/ServerGone.*' \
    --gtest_output="xml:$root/build/win32-tests/results-faults/tools_tests.xml" || true
  line=$(python3 scripts/test-summary.py gtest win32-faults build/win32-tests/results-faults tools_tests "$mode") || failed=1
  summaries+=("$line")
  echo "$line"

  step "The demo through the product DLL under Wine, compared with the Linux demo"
  bash scripts/demo.sh >build/demo-linux.log 2>&1 || { cat build/demo-linux.log; failed=1; }
  if bash scripts/demo.sh --windows >build/demo-win32.log 2>&1; then
    tail -n 4 build/demo-win32.log
  else
    cat build/demo-win32.log
    failed=1
    summaries+=("demo --windows: failed")
  fi
fi

step "Summary"
printf '%s\n' "${summaries[@]}"
exit "$failed"
