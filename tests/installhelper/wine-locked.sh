#!/usr/bin/env bash
# Files the helper reads or writes while another program holds them open
# (sharing them with nobody, or with readers only): the install INI,
# orlin.cfg, jre.iss and jre.iss2, foo.ini. (A read-only file is no test
# here: the tests run as root, and Wine then writes it all the same.) Nothing is
# reported as done that was not done, nothing crashes, and a file that
# cannot be written keeps its old content.
source "$(dirname "$0")/wine-common.sh"

root='HKLM\SOFTWARE\ZOV\Java2 Runtime Environment'
cleanup_more() {
  unreg 'HKLM\SOFTWARE\ZOV'
  unreg 'HKCU\Software\Netscape'
}
cleanup_more
mkdir -p "$work/jre131/bin" "$work/target" "$work/tmp"
: > "$work/jre131/bin/javaw.exe"
wreg add "$root\\1.3.1" /v JavaHome /d "$wwork\\jre131" /f
wreg add 'HKCU\Software\Netscape\Netscape Navigator' /f

# held <file> <none|read> <helper arguments...>: the full exit code of the
# helper run while <file> is held.
held() {
  local file=$1 share=$2
  shift 2
  local out
  out=$("$KIV_WINE_RUN" "$doubles/holdfile.exe" "$(winpath "$file")" "$share" "$helper_win" "$@" | tr -d '\r')
  sed -n 's/^exit=\(-\{0,1\}[0-9]*\) .*/\1/p' <<<"$out"
}
same() { if cmp -s "$1" "$2"; then echo same; else echo changed; fi; }

ini="$work/i.ini"
wini=$(winpath "$ini")
printf '[foo]\r\njreVersion=1.3.1\r\n' > "$ini"
cp "$ini" "$work/i.before"

# Function 1 finds the runtime, but the INI cannot take jrePath.
check "1: INI open for readers only: not done" 1 "$(held "$ini" read 1 "$wini")"
check "1: the INI is unchanged" same "$(same "$work/i.before" "$ini")"
check "1: INI shared with nobody: not done" 1 "$(held "$ini" none 1 "$wini")"
check "1: the INI free again: done" 0 "$(helper_exit 1 "$wini")"

# Function 2: the template or the response file held.
printf '[foo]\r\ninstallJRE=1\r\njrePath=C:\\jre\r\ntempDir=%s\\tmp\r\n' "$wwork" > "$ini"
printf 'szDir=<JREPATH>\r\n' > "$work/tmp/jre.iss"
check "2: template shared with nobody: failed" 1 "$(held "$work/tmp/jre.iss" none 2 "$wini")"
printf 'old\r\n' > "$work/tmp/jre.iss2"
check "2: jre.iss2 open for readers only: failed" 1 "$(held "$work/tmp/jre.iss2" read 2 "$wini")"
check "2: jre.iss2 keeps its old content" "old" "$(tr -d '\r' < "$work/tmp/jre.iss2")"
check "2: jre.iss2 shared with nobody: failed" 1 "$(held "$work/tmp/jre.iss2" none 2 "$wini")"
check "2: INI shared with nobody reads as empty: nothing to do" 0 "$(held "$ini" none 2 "$wini")"

# Function 4: orlin.cfg held; the viewer is still registered, 0 as always.
printf '[foo]\r\njreVersion=1.3.1\r\njrePath=C:\\jre\r\ntargetDir=%s\\target\r\n' "$wwork" > "$ini"
printf 'old\r\n' > "$work/target/orlin.cfg"
check "4: orlin.cfg shared with nobody: exit 0" 0 "$(held "$work/target/orlin.cfg" none 4 "$wini")"
check "4: orlin.cfg keeps its old content" "old" "$(tr -d '\r' < "$work/target/orlin.cfg")"
check "4: the viewer registered all the same" "\"$wwork\\target\\orlin.exe\"" \
  "$("$KIV_WINE_RUN" reg query 'HKCU\Software\Netscape\Netscape Navigator\Viewers' /v application/x-java-jnlp-file | tr -d '\r' | sed -n 's/.*REG_SZ *//p')"

# Function 6: foo.ini held; the runtime (already installed) still results.
printf 'old' > "$work/foo.ini"
check "6: foo.ini shared with nobody: the runtime results" 1 "$(held "$work/foo.ini" none 6 'C:\jre' 1.3.1 "$wwork")"
check "6: foo.ini keeps its old content" "old" "$(cat "$work/foo.ini")"
finish
