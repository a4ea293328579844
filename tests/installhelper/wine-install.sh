#!/usr/bin/env bash
# Function 6 under Wine: the silent runtime installation with a stand-in
# jre.exe that records its command line, the response file it was given and
# its exit code; and with the runtime already installed.
source "$(dirname "$0")/wine-common.sh"

root='HKLM\SOFTWARE\ZOV\Java2 Runtime Environment'
cleanup_more() { unreg 'HKLM\SOFTWARE\ZOV'; }
cleanup_more

w="$work/w"
ww="$wwork\\w"
mkdir -p "$w"
cp "$doubles/fakejre.exe" "$w/jre.exe"
jre='C:\Java Soft\jre'
reset() {
  rm -f "$w/jre.log" "$w/foo.ini" "$w/jre.iss2"
  printf 'szDir=<JREPATH>\r\n' > "$w/jre.iss"
}

reset
check "installer exit 0: a runtime resulted" 1 "$(FAKE_JRE_EXIT=0 helper_exit 6 "$jre" 1.3.1 "$ww")"
check "console text" "Installing JRE v1.3.1...done." "$(cat "$work/stdout")"
check_file "jre.exe's command line and response file" "$w/jre.log" \
"command line: -s -a -s -f1\"$ww\\jre.iss2\"
response: szDir=\"$jre\"${crlf}
exit: 0
"
check_file "foo.ini names the runtime" "$w/foo.ini" "[foo]${crlf}jrePath=$jre"

reset
check "installer exit 5: still a runtime" 1 "$(FAKE_JRE_EXIT=5 helper_exit 6 "$jre" 1.3.1 "$ww\\")"
check_file "foo.ini beside a work directory ending in a backslash" "$w/foo.ini" "[foo]${crlf}jrePath=$jre"

reset
check "installer exit -1: no runtime" 0 "$(FAKE_JRE_EXIT=-1 helper_exit 6 "$jre" 1.3.1 "$ww")"
check "jre.exe ran" "exit: -1" "$(tail -n 1 "$w/jre.log")"
check_file "foo.ini with an empty jrePath" "$w/foo.ini" "[foo]${crlf}jrePath="

reset
rm "$w/jre.iss"
check "no template: no runtime" 0 "$(helper_exit 6 "$jre" 1.3.1 "$ww")"
check "no template: jre.exe not started" no "$([ -e "$w/jre.log" ] && echo yes || echo no)"
check_file "no template: foo.ini still written" "$w/foo.ini" "[foo]${crlf}jrePath="

reset
mv "$w/jre.exe" "$w/jre.off"
check "no jre.exe: no runtime" 0 "$(helper_exit 6 "$jre" 1.3.1 "$ww")"
mv "$w/jre.off" "$w/jre.exe"

# An empty work directory, run from C:\ : refused, neither jre.iss2 nor
# foo.ini in the root of the drive, jre.exe not started.
drive_c=$KIV_WINE_PREFIX/drive_c
printf 'szDir=<JREPATH>\r\n' > "$drive_c/jre.iss"
cp "$doubles/fakejre.exe" "$drive_c/jre.exe"
check "empty work directory: no runtime" 0 "$(cd "$drive_c" && helper_exit 6 "$jre" 1.3.1 '')"
check "empty work directory: nothing written in the root" "none" \
  "$(cd "$drive_c" && ls jre.iss2 foo.ini jre.log 2>/dev/null || echo none)"
rm -f "$drive_c/jre.iss" "$drive_c/jre.exe" "$drive_c/jre.iss2" "$drive_c/foo.ini" "$drive_c/jre.log"

# The debug texts, in their order.
reset
ORLIN_INSTALLER_DEBUG=1 "$KIV_WINE_RUN" "$build/installhelper/helper.exe" 6 "$jre" 1.3.1 "$ww" \
  >/dev/null 2>"$work/stderr" || true
check_file "debug texts" "$work/stderr" \
"adding jrePath $jre to $ww\\jre.iss.... successful${crlf}\
Executing: $ww\\jre.exe -s -a -s -f1\"$ww\\jre.iss2\"${crlf}"

# Already installed: 1.3.1 as subkey 1.3 with MicroVersion 1.
reset
mkdir -p "$work/jre13/bin"
: > "$work/jre13/bin/javaw.exe"
wreg add "$root\\1.3" /v JavaHome /d "$wwork\\jre13" /f
wreg add "$root\\1.3" /v MicroVersion /d 1 /f
check "already installed: a runtime resulted" 1 "$(helper_exit 6 "$jre" 1.3.1 "$ww")"
check "already installed: console text" "Installing JRE v1.3.1...JRE already installed, done." "$(cat "$work/stdout")"
check "already installed: jre.exe not started" no "$([ -e "$w/jre.log" ] && echo yes || echo no)"
check_file "already installed: foo.ini" "$w/foo.ini" "[foo]${crlf}jrePath=$wwork\\jre13"
finish
