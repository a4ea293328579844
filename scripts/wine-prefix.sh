#!/usr/bin/env bash
# Creates the Wine prefix for the Windows tests (once; a booted prefix is
# reused): KIV_WINE_PREFIX names it. Boots it, waits for the wineserver and
# turns off the crash dialog, which would hang a test under a display.
set -eu
here=$(dirname "$0")
prefix=${KIV_WINE_PREFIX:?KIV_WINE_PREFIX is not set}
arch=${KIV_WINE_ARCH:-$("$here/wine-arch.sh")}
export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all
if [ -f "$prefix/.kiv-ready" ]; then
  exit 0
fi
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
KIV_WINE_ARCH=$arch "$here/wine-run" wineboot -i >/dev/null 2>&1
KIV_WINE_ARCH=$arch "$here/wine-run" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.kiv-ready"
