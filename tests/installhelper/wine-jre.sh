#!/usr/bin/env bash
# Runtime discovery (functions 1 and 8) and orlin.cfg (function 4) under
# Wine, against runtime keys seeded in the prefix's registry.
source "$(dirname "$0")/wine-common.sh"

root='HKLM\SOFTWARE\ZOV\Java2 Runtime Environment'
cleanup_more() {
  unreg 'HKLM\SOFTWARE\ZOV'
  unreg 'HKCU\Software\Netscape'
}
cleanup_more

runtime() {  # <subkey> <home, relative to the work directory> <javaw: file|dir|none> [MicroVersion]
  local home="$wwork\\$2"
  wreg add "$root\\$1" /v JavaHome /t REG_SZ /d "$home" /f
  [ $# -lt 4 ] || wreg add "$root\\$1" /v MicroVersion /t REG_SZ /d "$4" /f
  local bin="$work/${2%\\}"
  bin=${bin//\\//}/bin
  mkdir -p "$bin"
  case $3 in
    file) : > "$bin/javaw.exe" ;;
    dir) mkdir -p "$bin/javaw.exe" ;;
  esac
}
runtime 1.1.8 jre118 file
runtime 1.2.2 jre122 dir
runtime 1.3 'Java Soft\jre13' file 1
runtime 1.3.1 'jre131\' file
runtime 1.4 jre14 none
runtime 1.5 jre15 file 1234567890123456
mkdir -p "$work/target"
wreg add 'HKCU\Software\Netscape\Netscape Navigator' /f

ini="$work/install.ini"
write_ini() {  # <jreVersion>
  printf '[foo]\r\njreVersion=%s\r\njrePath=%s\\fallback\r\ntargetDir=%s\\target\\\r\n' "$1" "$wwork" "$wwork" > "$ini"
}
ini_value() { tr -d '\r' < "$ini" | sed -n "s/^$1=//p"; }
wini=$(winpath "$ini")

# Function 8: any usable runtime of that version.
check "8: 1.1.8 installed" 1 "$(helper_exit 8 1.1.8)"
check "8: 1.3 found as subkey 1.3" 1 "$(helper_exit 8 1.3)"
check "8: 1.2.2 whose javaw.exe is a directory" 0 "$(helper_exit 8 1.2.2)"
check "8: 1.4 without javaw.exe" 0 "$(helper_exit 8 1.4)"
check "8: 1.6 not installed" 0 "$(helper_exit 8 1.6)"
wreg add "$root\\1.6" /v JavaHome /t REG_EXPAND_SZ /d "$wwork\\jre118" /f
check "8: JavaHome that is not of type REG_SZ" 0 "$(helper_exit 8 1.6)"
unreg "$root\\1.6"

# Function 1: the exact version.
write_ini 1.3.1
check "1: 1.3.1 found" 0 "$(helper_exit 1 "$wini")"
check "1: jrePath of subkey 1.3.1" "$wwork\\jre131\\" "$(ini_value jrePath)"
write_ini 1.3
check "1: 1.3 is 1.3.1 by its MicroVersion" 1 "$(helper_exit 1 "$wini")"
check "1: jrePath untouched" "$wwork\\fallback" "$(ini_value jrePath)"
write_ini 1.5
check "1: MicroVersion of 16 characters is absent" 0 "$(helper_exit 1 "$wini")"
check "1: missing INI finds nothing" 1 "$(helper_exit 1 "$wwork\\none.ini")"

# Function 4: orlin.cfg byte for byte, with the default on subkey 1.3.1.
write_ini 1.3.1
check "4: exits 0" 0 "$(helper_exit 4 "$wini")"
check_file "4: orlin.cfg with three runtimes" "$work/target/orlin.cfg" \
"orlin.cfg.jre.0.platform=1.3.1${crlf}\
orlin.cfg.jre.0.product=1.3.1${crlf}\
orlin.cfg.jre.0.path=$(esc "$wwork\\Java Soft\\jre13\\")bin\\\\javaw.exe${crlf}\
orlin.cfg.jre.1.platform=1.3.1${crlf}\
orlin.cfg.jre.1.product=1.3.1${crlf}\
orlin.cfg.jre.1.path=$(esc "$wwork\\jre131\\")bin\\\\javaw.exe${crlf}\
orlin.cfg.jre.2.platform=1.5${crlf}\
orlin.cfg.jre.2.product=1.5${crlf}\
orlin.cfg.jre.2.path=$(esc "$wwork\\jre15\\")bin\\\\javaw.exe${crlf}\
orlin.cfg.jre.default=1${crlf}"
viewer=$("$KIV_WINE_RUN" reg query 'HKCU\Software\Netscape\Netscape Navigator\Viewers' /v application/x-java-jnlp-file | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
check "4: viewer command with one backslash before orlin.exe" "\"$wwork\\target\\orlin.exe\"" "$viewer"

# Without subkey 1.3.1, version 1.3.1 is subkey 1.3 with MicroVersion 1.
unreg "$root\\1.3.1"
write_ini 1.3.1
check "1: 1.3.1 found in subkey 1.3" 0 "$(helper_exit 1 "$wini")"
check "1: jrePath of subkey 1.3" "$wwork\\Java Soft\\jre13" "$(ini_value jrePath)"

# Without any runtime key: the fallback entry.
unreg 'HKLM\SOFTWARE\ZOV'
write_ini 1.3.1
check "4: exits 0 without runtimes" 0 "$(helper_exit 4 "$wini")"
check_file "4: orlin.cfg fallback entry" "$work/target/orlin.cfg" \
"orlin.cfg.jre.0.platform=1.3.1${crlf}\
orlin.cfg.jre.0.product=1.3.1${crlf}\
orlin.cfg.jre.0.path=$(esc "$wwork\\fallback\\")bin\\\\javaw.exe${crlf}\
orlin.cfg.jre.default=0${crlf}"

# A configuration file that cannot be written is not reported.
printf '[foo]\r\njreVersion=1.3\r\ntargetDir=%s\\missing\r\n' "$wwork" > "$ini"
check "4: exits 0 when orlin.cfg cannot be written" 0 "$(helper_exit 4 "$wini")"
# A targetDir too long for the paths is refused.
printf '[foo]\r\ntargetDir=%s\\%s\r\n' "$wwork" "$(printf 'd%.0s' {1..240})" > "$ini"
check "4: exits 1 for a targetDir too long for orlin.exe" 1 "$(helper_exit 4 "$wini")"
finish
