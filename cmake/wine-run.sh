#!/usr/bin/env bash
# Runs a Windows test program under Wine in the build tree's own prefix:
#   wine-run.sh win32 program.exe [arguments]   Wine's 32-bit side, a 32-bit prefix
#   wine-run.sh win64 program.exe [arguments]   64-bit Wine
# The prefix is made on first use; where the kernel refuses 32-bit code, qemu-user runs
# Wine's 32-bit side through binfmt_misc (scripts/setup.sh registers it).
arch=$1
shift
: "${WINEPREFIX:=${ZELVOMW_WINEPREFIX:-$PWD/wineprefix}}"
export WINEPREFIX WINEDEBUG=-all
if [ "$arch" = win32 ]; then
  export WINEARCH=win32
  wine=/usr/lib/wine/wine
else
  wine=/usr/lib/wine/wine64
  [ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
fi
# The native server serves both sides.
server=/usr/lib/wine/wineserver
[ -x "$server" ] || server=$(command -v wineserver)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # Two tests starting at once must not both make the prefix.
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine" wineboot -i >/dev/null 2>&1 || true
      "$server" -w || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
