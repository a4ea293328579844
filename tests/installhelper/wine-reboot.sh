#!/usr/bin/env bash
# Function 3 under Wine: WinInit.Ini in the Windows directory and the
# PendingFileRenameOperations value of the Session Manager key.
source "$(dirname "$0")/wine-common.sh"

session='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager'
wininit="$KIV_WINE_PREFIX/drive_c/windows/wininit.ini"
if "$KIV_WINE_RUN" reg query "$session" /v PendingFileRenameOperations >/dev/null 2>&1 || [ -e "$wininit" ]; then
  echo "the prefix already has pending renames; not touching them"
  exit 1
fi
cleanup_more() {
  wreg delete "$session" /v PendingFileRenameOperations /f || true
  rm -f "$wininit"
}

check "nothing pending" 0 "$(helper_exit 3 unused.ini)"
printf '[rename]\r\n' > "$wininit"
check "WinInit.Ini present" 1 "$(helper_exit 3 unused.ini)"
rm -f "$wininit"
wreg add "$session" /v PendingFileRenameOperations /t REG_MULTI_SZ /d '\??\C:\old.dll\0\??\C:\new.dll' /f
check "rename value present" 1 "$(helper_exit 3 unused.ini)"
check "no INI path needed" 1 "$(helper_exit 3)"
wreg delete "$session" /v PendingFileRenameOperations /f
check "rename value removed" 0 "$(helper_exit 3 unused.ini)"
# A key of that path is not what Windows writes; it does not count.
wreg add "$session\\PendingFileRenameOperations" /f
check "a key named PendingFileRenameOperations" 0 "$(helper_exit 3 unused.ini)"
wreg delete "$session\\PendingFileRenameOperations" /f
finish
