#!/usr/bin/env bash
# Creates the Wine prefix for the Windows tests (once; a booted prefix of the
# same architecture is reused): KIV_WINE_PREFIX names it, KIV_WINE_ARCH gives
# its architecture (default: what wine-arch.sh says). Boots it, waits for the
# wineserver and turns off the crash dialog, which would hang a test under a
# display. The marker .kiv-ready holds the architecture the prefix was booted
# for: a prefix of the other one (or of an unknown one) is made anew, since
# Wine refuses to run a win64 prefix as win32 and a win32 prefix runs no
# 64-bit programs.
set -eu
here=$(dirname "$0")
prefix=${KIV_WINE_PREFIX:?KIV_WINE_PREFIX is not set}
arch=${KIV_WINE_ARCH:-$("$here/wine-arch.sh")}
export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all
marker=$prefix/.kiv-ready
if [ -f "$marker" ] && [ "$(cat "$marker")" = "$arch" ]; then
  exit 0
fi
if [ -d "$prefix" ]; then
  echo "wine-prefix.sh: $prefix is not a booted $arch prefix; making it anew"
  # Wait for a wineserver that may still serve the old one.
  timeout 120 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
fi
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
KIV_WINE_ARCH=$arch "$here/wine-run" wineboot -i >/dev/null 2>&1
KIV_WINE_ARCH=$arch "$here/wine-run" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
timeout 120 wineserver -w || { echo "wine-prefix.sh: the wineserver still ran after 120 s" >&2; exit 1; }
echo "$arch" > "$marker"
