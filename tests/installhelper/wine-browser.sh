#!/usr/bin/env bash
# Function 5 under Wine: a real process started from a file named
# netscape.exe counts as a running Navigator. Wine runs no virtual DOS
# machine (and its VDMDBG task walk is a crashing stub): wine-standins.sh
# walks 16-bit tasks through stand-in DLLs.
source "$(dirname "$0")/wine-common.sh"

appdefaults='HKCU\Software\Wine\AppDefaults'
cleanup_more() {
  unreg "$appdefaults\\helper.exe"
  unreg "$appdefaults\\proclist.exe"
}
cleanup_more

withchild() {  # <unix path of the program to keep running> <Windows program> [args]: full exit code
  local program=$1
  shift
  "$KIV_WINE_RUN" "$doubles/withchild.exe" "$(winpath "$program")" "$@" | tr -d '\r' > "$work/out"
  sed -n 's/^exit=\(-\{0,1\}[0-9]*\) .*/\1/p' "$work/out"
}
browser() {  # <file name relative to the work directory>
  mkdir -p "$(dirname "$work/$1")"
  cp "$doubles/idle.exe" "$work/$1"
}
browser 'Netscape Dir/Program/netscape.exe'
browser 'UPPER/NETSCAPE.EXE'
browser 'other/mynetscape.exe'

check "no browser running" 0 "$(helper_exit 5 unused.ini)"
check "netscape.exe running" 1 "$(withchild "$work/Netscape Dir/Program/netscape.exe" "$helper_win" 5 unused.ini)"
check "NETSCAPE.EXE running, no INI path" 1 "$(withchild "$work/UPPER/NETSCAPE.EXE" "$helper_win" 5)"
check "mynetscape.exe running" 0 "$(withchild "$work/other/mynetscape.exe" "$helper_win" 5)"
check "browser ended" 0 "$(helper_exit 5 unused.ini)"

# The walk sees full paths on the NT family.
withchild "$work/UPPER/NETSCAPE.EXE" "$(winpath "$doubles/proclist.exe")" >/dev/null
check "NT walk ran" 1 "$(grep -c '^walk=1$' "$work/out")"
check "NT walk: full path of the browser" 1 "$(grep -cF " 0 $wwork\\UPPER\\NETSCAPE.EXE" "$work/out")"

# The 9x family (Wine told to be Windows 98): the tool-help walk. Its entries
# carry base names only under Wine, which the browser test does not take.
wreg add "$appdefaults\\helper.exe" /v Version /d win98 /f
wreg add "$appdefaults\\proclist.exe" /v Version /d win98 /f
withchild "$work/UPPER/NETSCAPE.EXE" "$(winpath "$doubles/proclist.exe")" >/dev/null
check "9x walk ran" 1 "$(grep -c '^walk=1$' "$work/out")"
check "9x walk: the browser's entry" 1 "$(grep -ciE ' 0 (.*\\)?NETSCAPE\.EXE$' "$work/out")"
check "9x: a base name is not the browser" 0 "$(withchild "$work/UPPER/NETSCAPE.EXE" "$helper_win" 5)"
finish
