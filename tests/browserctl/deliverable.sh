#!/usr/bin/env bash
# Static checks of the i686 Vantor.dll, which this machine cannot run:
# deliverable.sh <build dir of browserctl>
set -euo pipefail
dir=$1
dll=$dir/Vantor.dll
fail=0
no() { echo "FAIL: $*"; fail=1; }

[ -f "$dll" ] || { echo "FAIL: no $dll"; exit 1; }

i686-w64-mingw32-objdump -f "$dll" | grep -q 'file format pei-i386' || no "not a PE32 (i386) file"

# exactly the four undecorated exports
exports=$( (i686-w64-mingw32-objdump -p "$dll" || true) | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
[ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ] ||
  no "exports are: $exports"

# nothing but system libraries
imports=$( (i686-w64-mingw32-objdump -p "$dll" || true) | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
for lib in $imports; do
  case $lib in
    advapi32.dll|kernel32.dll|msvcrt.dll|ole32.dll|oleaut32.dll|user32.dll) ;;
    *) no "imports $lib" ;;
  esac
done

# resources
rc=$(i686-w64-mingw32-windres -i "$dll" -O rc || true)
expect() { grep -qF -- "$1" <<<"$rc" || no "no resource line: $1"; }
expect '1 "TYPELIB"'
expect '101 "REGISTRY"'
expect '201 2 /* RT_BITMAP */'
expect '100, "Vantor"'
expect 'VALUE "FileDescription", "Vantor Module"'
expect 'VALUE "FileVersion", "1.2"'
expect 'VALUE "ProductVersion", "1.2"'
expect 'VALUE "InternalName", "Vantor.dll"'
expect 'VALUE "OriginalFilename", "Vantor.DLL"'
expect 'VALUE "OLESelfRegister", ""'
expect '"\t\t\tInprocServer32 = s '"'"'%MODULE%'"'"'\n"'

# the embedded type library is built for 32-bit Windows (SYS_WIN32)
tlb=$dir/vantor.tlb
magic=$(head -c 4 "$tlb")
syskind=$(od -A n -t u1 -j 20 -N 1 "$tlb" | tr -d ' ')
[ "$magic" = MSFT ] || no "vantor.tlb is no type library"
[ $((syskind & 15)) -eq 1 ] || no "vantor.tlb is not for 32-bit Windows (syskind $((syskind & 15)))"

[ $fail -eq 0 ] && echo "Vantor.dll: PE32, four exports, resources and type library in place"
exit $fail
