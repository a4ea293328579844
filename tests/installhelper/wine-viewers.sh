#!/usr/bin/env bash
# Functions 4 and 7 under Wine: the JNLP viewer in Netscape Navigator's
# viewer slots (HKCU\Software\Netscape\Netscape Navigator\Viewers).
source "$(dirname "$0")/wine-common.sh"

nav='HKCU\Software\Netscape\Netscape Navigator'
viewers="$nav\\Viewers"
type=application/x-java-jnlp-file
cleanup_more() { unreg 'HKCU\Software\Netscape'; }
cleanup_more

ini="$work/install.ini"
register() {  # <targetDir>: function 4
  printf '[foo]\r\njreVersion=1.3.1\r\njrePath=C:\\jre\r\ntargetDir=%s\r\n' "$1" > "$ini"
  helper_exit 4 "$(winpath "$ini")"
}
slot() {  # <value name>: its data, or "(none)"
  "$KIV_WINE_RUN" reg query "$viewers" /v "$1" 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p' | grep . || echo "(none)"
}

check "no Navigator key: exits 0" 0 "$(register 'C:\orlin')"
check "no Navigator key: no Viewers key" no \
  "$("$KIV_WINE_RUN" reg query "$viewers" >/dev/null 2>&1 && echo yes || echo no)"
check "no Navigator key: removal exits 1" 1 "$(helper_exit 7)"

# Slots TYPE0 and TYPE2 taken, TYPE1 free.
wreg add "$viewers" /v TYPE0 /d text/plain /f
wreg add "$viewers" /v TYPE2 /d image/x-foo /f
check "register: exits 0" 0 "$(register 'C:\orlin')"
check "register: takes the gap TYPE1" "$type" "$(slot TYPE1)"
check "register: viewer command" '"C:\orlin\orlin.exe"' "$(slot "$type")"
check "register: TYPE3 untouched" "(none)" "$(slot TYPE3)"
# The values as bytes: strings (type 1) with their terminating NUL counted
# (stored as UTF-16, so twice the characters and the NUL).
value() { "$KIV_WINE_RUN" "$doubles/regvalue.exe" 'Software\Netscape\Netscape Navigator\Viewers' "$1" | tr -d '\r'; }
hexof() { printf '%s\0' "$1" | od -An -tx1 | tr -d ' \n'; }
check "register: TYPE1 as bytes" "type=1 size=29 bytes=$(hexof "$type") stored=58" "$(value TYPE1)"
check "register: the command as bytes" "type=1 size=21 bytes=$(hexof '"C:\orlin\orlin.exe"') stored=42" "$(value "$type")"
check "register again: exits 0" 0 "$(register 'D:\other dir\')"
check "register again: same slot" "$type" "$(slot TYPE1)"
check "register again: no second slot" "(none)" "$(slot TYPE3)"
check "register again: new command" '"D:\other dir\orlin.exe"' "$(slot "$type")"

check "remove: exits 1" 1 "$(helper_exit 7)"
check "remove: slot gone" "(none)" "$(slot TYPE1)"
check "remove: command gone" "(none)" "$(slot "$type")"
check "remove: other slots stay" "text/plain image/x-foo" "$(slot TYPE0) $(slot TYPE2)"

# Removal past a gap: the type in TYPE2 with TYPE1 missing.
wreg add "$viewers" /v TYPE2 /d "$type" /f
wreg add "$viewers" /v "$type" /d '"C:\orlin\orlin.exe"' /f
check "remove past a gap: exits 1" 1 "$(helper_exit 7)"
check "remove past a gap: TYPE2 gone" "(none)" "$(slot TYPE2)"
check "remove past a gap: command gone" "(none)" "$(slot "$type")"
check "remove past a gap: TYPE0 stays" "text/plain" "$(slot TYPE0)"
check "nothing registered: removal exits 1" 1 "$(helper_exit 7)"

# The Navigator key without a Viewers key: registration creates it.
unreg "$viewers"
check "create Viewers: exits 0" 0 "$(register 'C:\orlin\')"
check "create Viewers: TYPE0" "$type" "$(slot TYPE0)"
check "create Viewers: command" '"C:\orlin\orlin.exe"' "$(slot "$type")"
# A launcher path with a character beyond ASCII (code page 1252) keeps its bytes.
check "register a path in the ANSI code page: exits 0" 0 "$(register $'C:\\Orlin \xe9t\xe9')"
check "the command keeps the path's bytes" "type=1 size=25 bytes=$(hexof $'"C:\\Orlin \xe9t\xe9\\orlin.exe"') stored=50" \
  "$(value "$type")"

# An empty targetDir, run from C:\ : refused, nothing registered and no
# orlin.cfg in the root of the drive.
unreg "$viewers"
wreg add "$nav" /f
drive_c=$KIV_WINE_PREFIX/drive_c
check "empty targetDir: exits 1" 1 "$(cd "$drive_c" && register '')"
check "empty targetDir: nothing registered" "(none) (none)" "$(slot TYPE0) $(slot "$type")"
check "empty targetDir: no orlin.cfg in the root" no "$([ -e "$drive_c/orlin.cfg" ] && echo yes || echo no)"
rm -f "$drive_c/orlin.cfg"
finish
