#!/usr/bin/env bash
# Runs a Windows test program under 64-bit Wine in the build tree's own prefix.
: "${WINEPREFIX:=${ZELVOMW_WINEPREFIX:-$PWD/wineprefix}}"
export WINEPREFIX WINEDEBUG=-all
WINE64=/usr/lib/wine/wine64
[ -x "$WINE64" ] || WINE64=$(command -v wine64 || command -v wine)
exec "$WINE64" "$@"
