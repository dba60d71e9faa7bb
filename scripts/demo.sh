#!/usr/bin/env bash
# Sets up a demo installation (MaicoWin in C:\MAICOWIN, Zelvo in C:\ZELVO) in a fresh prefix
# and runs the link's main job on it through the zelvomw command.
#   ZELVOMW_PREFIX  where the demo prefix goes (default: build/demo-prefix)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh
cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/linux -j "$(nproc)" --target zelvomw_cmd zelvomw

export ZELVOMW_PREFIX="${ZELVOMW_PREFIX:-$root/build/demo-prefix}"
export ZELVOMW_UI="${ZELVOMW_UI:-batch}"
rm -rf "$ZELVOMW_PREFIX"
mkdir -p "$ZELVOMW_PREFIX/drive_c/windows" "$ZELVOMW_PREFIX/dosdevices"
ln -s ../drive_c "$ZELVOMW_PREFIX/dosdevices/c:"
cp -r samples/maicowin "$ZELVOMW_PREFIX/drive_c/MAICOWIN"
cp -r samples/zelvo "$ZELVOMW_PREFIX/drive_c/ZELVO"
cp samples/windows/ZELVO.INI "$ZELVOMW_PREFIX/drive_c/windows/ZELVO.INI"
zelvomw="$root/build/linux/bin/zelvomw"

echo "== demo prefix: $ZELVOMW_PREFIX"
echo "== zelvomw ControllaInstallazioneMW (MaicoWin is in C:\\MAICOWIN: found without asking)"
"$zelvomw" ControllaInstallazioneMW
echo "== zelvomw LanciaConfiguratoreMW (first configuration: the default keys are written)"
"$zelvomw" LanciaConfiguratoreMW
echo "== C:\\windows\\ZELVOMW.INI"
tr -d '\r' < "$ZELVOMW_PREFIX/drive_c/windows/ZELVOMW.INI"
echo "== C:\\ZELVO\\POET.CFG copied from MaicoWin's BIN folder:"
tr -d '\r' < "$ZELVOMW_PREFIX/drive_c/ZELVO/POET.CFG"
