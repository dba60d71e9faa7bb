#!/usr/bin/env bash
# Checks the product DLL: a PE32 i386 DLL with exactly the six undecorated __stdcall exports,
# the version block, and nothing to load beside it but system DLLs.
set -euo pipefail
build=${1:-build/win32}
dll="$build/bin/ZelvoMW.DLL"
fail() { echo "check-dll: $*" >&2; exit 1; }

[ -f "$dll" ] || fail "$dll is missing"
i686-w64-mingw32-objdump -f "$dll" | grep -q 'file format pei-i386' || fail "not a PE32 i386 file"
header=$(i686-w64-mingw32-objdump -p "$dll")
grep -qE '^\s+DLL$' <<<"$header" || fail "not a DLL"
grep -q 'Magic.*(PE32)' <<<"$header" || fail "not PE32"

exports=$(i686-w64-mingw32-objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
          | grep -oE '^\s+\[ *[0-9]+\] [A-Za-z0-9_@]+' | sed 's/.*\] //' | sort | tr '\n' ' ')
expected="ControllaInstallazioneMW DebugLeggiMwExport LanciaCalcoloMW LanciaConfiguratoreMW Ordine2Mw Test "
[ "$exports" = "$expected" ] || fail "exports are '$exports', expected '$expected'"

# __stdcall: the callee removes 4, 4 and 12 bytes of arguments, the others none.
obj=$(find "$build" -name 'Exports.cpp.obj' | head -1)
symbols=$(i686-w64-mingw32-nm "$obj" | awk '$2 == "T" {print $3}' | sort | tr '\n' ' ')
for s in _ControllaInstallazioneMW@0 _LanciaConfiguratoreMW@0 _LanciaCalcoloMW@4 \
         _DebugLeggiMwExport@4 _Ordine2Mw@12 _Test@0; do
  case " $symbols " in *" $s "*) ;; *) fail "no __stdcall symbol $s in $obj ($symbols)";; esac
done

version=$(i686-w64-mingw32-windres -i "$dll" -J coff -O rc)
for line in 'FILEVERSION 1, 8, 0, 0' 'PRODUCTVERSION 1, 8, 0, 0' 'BLOCK "041004b0"' \
            'VALUE "FileDescription", "ZelvoMW DLL"' 'VALUE "InternalName", "ZelvoMW"' \
            'VALUE "OriginalFilename", "ZelvoMW.DLL"' \
            'VALUE "ProductName", "ZelvoMW Dynamic Link Library"'; do
  grep -qF "$line" <<<"$version" || fail "version block lacks: $line"
done

# The dialog templates, control by control, as the host's users know them: the resource
# compiler's reading of the DLL against the list kept beside this script.
dialogs=$(awk '/^[0-9]+ DIALOG/{on=1} on{print} /^END/{on=0}' <<<"$version")
if ! diff <(cat "$(dirname "$0")/check-dll/dialogs.rc") <(cat <<<"$dialogs") >&2; then
  fail "the dialog templates differ from scripts/check-dll/dialogs.rc (above: < expected, > in the DLL)"
fi

imports=$(i686-w64-mingw32-objdump -p "$dll" | awk '/DLL Name:/ {print toupper($3)}' | sort -u | tr '\n' ' ')
for d in $imports; do
  case "$d" in
    KERNEL32.DLL|USER32.DLL|SHELL32.DLL|OLE32.DLL|OLEAUT32.DLL|MSVCRT.DLL|ODBC32.DLL|ADVAPI32.DLL|COMCTL32.DLL|COMDLG32.DLL|GDI32.DLL) ;;
    OLTREX.DLL) ;;  # the host's own import library, beside the host
    *) fail "the DLL needs $d beside it";;
  esac
done
# Zelvo's import library by name, as an ordinary import of its two undecorated functions.
grep -qw OLTREX.DLL <<<"$imports" || fail "Oltrex.dll is not imported"
oltrex=$(i686-w64-mingw32-objdump -p "$dll" | awk '/DLL Name:/ {dll=toupper($3)} dll=="OLTREX.DLL" && NF==3 && $1 ~ /^[0-9a-f]+$/ {print $3}' | sort | tr '\n' ' ')
[ "$oltrex" = "FitImport KitImport " ] || fail "from Oltrex.dll the DLL imports '$oltrex', not FitImport and KitImport"
echo "check-dll: $dll is a PE32 i386 DLL; exports: $exports; version 1.8.0.0; dialogs: $(grep -c ' DIALOG ' <<<"$dialogs"); imports: $imports"
