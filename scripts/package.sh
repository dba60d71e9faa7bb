#!/usr/bin/env bash
# Builds the two packages: the Debian package of the Linux build and the Windows zip of the
# product DLL, both in build/packages.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
bash scripts/setup.sh >/dev/null
cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/linux -j "$jobs"
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win32 -j "$jobs"
mkdir -p build/packages
(cd build/linux && cpack -G DEB -B "$root/build/packages" >/dev/null)
(cd build/win32 && cpack -G ZIP -B "$root/build/packages" >/dev/null)
rm -rf build/packages/_CPack_Packages
ls -l build/packages
