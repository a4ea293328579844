#!/usr/bin/env bash
# Wine tests of Vantor: vantor-wine.sh <case>
#   register  regsvr32 and regsvr32 /u: every entry, registering twice, removal
#   server    the DLL loaded directly: exports, factory, control (no registry)
#   create    the registered control by CLSID, ProgIDs and IDispatch
#   scripts   the control in Wine's script host, in JScript and in VBScript
#   apartment a client in the multithreaded apartment
#   tlbfile   the type library from Vantor.tlb beside a server without one
#   oddpath   registration from a path with blanks, an apostrophe and percents
#   typelib   the registered type library read back
#   activate  activation with fakeorlin.exe as the JNLP program
#   display   under a virtual display: the command line box, and the control
#             hosted and activated by Wine's ATL container
# Every case removes what it registered. Activation runs the product
# Vantor.dll; its HlinkGoBack comes from the recording stand-in urlmon.dll,
# which a copy of the driver finds beside itself (DLL override urlmon=n).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run=$KIV_WINE_RUN
build=$KIV_WINDOWS_BUILD_DIR
dll=$build/browserctl/Vantor.dll
standin=$build/tests/windows/browserctl/standin/urlmon.dll
notlb=$build/tests/windows/browserctl/notlb/Vantor.dll
driver=$build/tests/windows/browserctl/vantortest.exe
fake=$build/tests/windows/browserctl/fakeorlin.exe
clsid='{7A31C0D2-4E95-11D4-B3C8-00A0C9E1F2A7}'
libid='{7A31C0D0-4E95-11D4-B3C8-00A0C9E1F2A7}'
export WINEPREFIX=$KIV_WINE_PREFIX

winpath() { "$run" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# Waits (at most 120 s) for the prefix's wineserver to end; ends it otherwise.
settle() {
  timeout 120 wineserver -w ||
    { echo "vantor-wine.sh: the wineserver still ran after 120 s: ended" >&2; wineserver -k || true; }
}
drive() { "$run" "$driver" "$@" | tr -d '\r'; }
registered() {  # <dll>: registers it for the rest of the case
  "$run" regsvr32 /s "$1" || { echo "FAIL: regsvr32 $1"; exit 1; }
  trap '"$run" regsvr32 /s /u "'"$1"'" || true; rm -rf "$tmp"' EXIT
}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantor-wine.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
# The driver beside the stand-in urlmon.dll: sets $driver_with_standin.
with_standin() {
  cp "$driver" "$standin" "$tmp/"
  driver_with_standin=$tmp/vantortest.exe
  export WINEDLLOVERRIDES=urlmon=n
}

case ${1:?case} in
register)
  trap '"$run" regsvr32 /s /u "$dll" || true' EXIT
  module=$(winpath "$dll")
  want=$(sed "s|@MODULE@|${module//\\/\\\\}|" "$here/expected-registry.txt")
  "$run" regsvr32 /s "$dll"
  diff <(echo "$want") <(drive regdump)
  # only the registered type library's platform
  [ "$KIV_WINE_ARCH" = win64 ] && platform=win64 || platform=win32
  "$run" reg query "HKCR\\TypeLib\\$libid\\1.0\\0\\$platform" /ve | tr -d '\r' | grep -qiF "$module"
  "$run" reg query "HKCR\\CLSID\\$clsid\\InprocServer32" /v ThreadingModel | grep -q Apartment
  # stale entries of an older registration go: the class key is replaced whole
  "$run" reg add "HKCR\\CLSID\\$clsid\\Control" /f >/dev/null
  "$run" reg add "HKCR\\CLSID\\$clsid\\Programmable\\Old" /f >/dev/null
  "$run" regsvr32 /s "$dll"
  diff <(echo "$want") <(drive regdump)
  "$run" regsvr32 /s /u "$dll"
  diff <(printf 'CLSID root: yes\ntype library: no\ninterface: no\n') <(drive regdump)
  # unregistering what is not registered succeeds
  "$run" regsvr32 /s /u "$dll"
  echo "registration: all entries as expected"
  ;;
server)
  drive server "$(winpath "$dll")"
  ;;
create | typelib)
  registered "$dll"
  drive "$1"
  ;;
apartment)
  registered "$dll"
  drive apartment
  ;;
tlbfile)
  # A server without the type library in its resources takes it from the
  # file of its name with the extension .tlb; without that file it cannot
  # be registered.
  mkdir "$tmp/tlb"
  cp "$notlb" "$tmp/tlb/Vantor.dll"
  # a failed registration keeps the keys written before the failure
  trap '"$run" regsvr32 /s /u "$tmp/tlb/Vantor.dll" || true; rm -rf "$tmp"' EXIT
  status=0
  "$run" regsvr32 /s "$tmp/tlb/Vantor.dll" || status=$?
  [ "$status" -ne 0 ] || { echo "FAIL: registered without a type library"; exit 1; }
  cp "$build/browserctl/vantor.tlb" "$tmp/tlb/Vantor.tlb"
  registered "$tmp/tlb/Vantor.dll"
  [ "$KIV_WINE_ARCH" = win64 ] && platform=win64 || platform=win32
  "$run" reg query "HKCR\\TypeLib\\$libid\\1.0\\0\\$platform" /ve | tr -d '\r' |
    grep -qiF "$(winpath "$tmp/tlb/Vantor.tlb")" ||
    { echo "FAIL: the registered type library is not Vantor.tlb"; exit 1; }
  drive typelib
  drive create
  ;;
oddpath)
  # Registration from a directory whose name has blanks, an apostrophe and
  # percent signs (also one around a word, as the script's placeholder has).
  dir="$tmp/it's 50% off %MODULE% x"
  mkdir "$dir"
  cp "$dll" "$dir/Vantor.dll"
  module=$(winpath "$dir/Vantor.dll")
  want=$(sed "s|@MODULE@|${module//\\/\\\\}|" "$here/expected-registry.txt")
  registered "$dir/Vantor.dll"
  diff <(echo "$want") <(drive regdump)
  drive create
  "$run" regsvr32 /s /u "$dir/Vantor.dll"
  diff <(printf 'CLSID root: yes\ntype library: no\ninterface: no\n') <(drive regdump)
  echo "registration from an odd path: all entries as expected"
  ;;
scripts)
  # Wine's script host: a script that stops on an error it does not report
  # still exits 0, so the summary line each script prints last must be there.
  registered "$dll"
  status=0
  for script in vantor-script.js:jscript vantor-script.vbs:vbscript; do
    out=$("$run" cscript //nologo "$(winpath "$here/${script%%:*}")" | tr -d '\r') || status=1
    printf '%s\n' "$out"
    [ "$(printf '%s\n' "$out" | tail -n 1)" = "${script##*:}: 0 failed" ] || status=1
  done
  exit $status
  ;;
activate)
  registered "$dll"
  with_standin
  "$run" "$driver_with_standin" activate "$(winpath "$fake")" | tr -d '\r'
  ;;
display)
  # Windows paths first: every Wine start below must see the display. One
  # virtual display for the command line box and Wine's ATL container.
  fakepath=$(winpath "$fake")
  registered "$dll"
  with_standin
  settle
  status=0
  xvfb-run -a sh -c 's=0; "$1" "$2" dbgbox "$3" || s=1; "$1" "$2" atl "$3" || s=1; exit $s' sh \
    "$run" "$driver_with_standin" "$fakepath" | tr -d '\r' || status=$?
  settle
  exit $status
  ;;
*)
  echo "vantor-wine.sh: unknown case $1" >&2
  exit 2
  ;;
esac
