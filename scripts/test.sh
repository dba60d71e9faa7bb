#!/usr/bin/env bash
# Installs what is missing, builds the three builds and runs every test:
#   build/linux  the Linux library, the zelvomw command and the tests (CTest)
#   build/win32  the product: ZelvoMW.DLL, 32-bit, checked for its exports and version block
#   build/win64  the same sources and tests as Windows programs, run under Wine
# The Linux tests run a second time under AddressSanitizer and UndefinedBehaviorSanitizer
# (build/asan); ZELVOMW_SANITIZE=0 leaves that run out.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

bash scripts/setup.sh

step() { printf '\n=== %s\n' "$*"; }

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
(cd build/linux && ctest -j "$jobs" --output-on-failure)

if [ "${ZELVOMW_SANITIZE:-1}" = 1 ]; then
  step "Linux tests under ASan/UBSan"
  cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELVOMW_SANITIZE=ON >/dev/null
  cmake --build build/asan -j "$jobs"
  (cd build/asan && ctest -j "$jobs" --output-on-failure)
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

step "Windows tests under Wine (x86-64)"
cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build build/win64 -j "$jobs"
export WINEPREFIX="$root/build/win64/wineprefix" WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w || true
fi
# Windows need a display under Wine; Xvfb gives one to the tests that make windows.
(cd build/win64 && xvfb-run -a ctest --output-on-failure)
/usr/lib/wine/wineserver -k 2>/dev/null || true

step "Linux library with a Windows MaicoWin under Wine"
# The Linux build starts the Windows stand-in through Wine, sees it in the process walk and
# reaches its calculation window; each test sets up its own Wine prefix.
xvfb-run -a env ZELVOMW_TEST_WINDOWS_SIM="$root/build/win64/bin/maicowin-sim.exe" \
  build/linux/bin/tools_tests --gtest_filter='WineMaicoWin.*'

