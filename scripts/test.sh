#!/usr/bin/env bash
# Installs what is missing, builds the three builds and runs every test:
#   build/linux  the Linux library, the zelvomw command and the tests (CTest)
#   build/win32  the product: ZelvoMW.DLL, 32-bit, checked for its exports and version block
#   build/win64  the same sources and tests as Windows programs, run under Wine
# ZELVOMW_SANITIZE=1 adds a Linux build under AddressSanitizer and UndefinedBehaviorSanitizer.
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

if [ "${ZELVOMW_SANITIZE:-0}" = 1 ]; then
  step "Linux tests under ASan/UBSan"
  cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELVOMW_SANITIZE=ON >/dev/null
  cmake --build build/asan -j "$jobs"
  (cd build/asan && ctest -j "$jobs" --output-on-failure)
fi

step "Windows product build (i686)"
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win32 -j "$jobs"
bash scripts/check-dll.sh build/win32

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
