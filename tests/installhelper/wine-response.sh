#!/usr/bin/env bash
# Function 2 under Wine: the runtime installer's response file from the
# template jre.iss in tempDir.
source "$(dirname "$0")/wine-common.sh"

ini="$work/install.ini"
wini=$(winpath "$ini")
tmpl="$work/tmp/jre.iss"
mkdir -p "$work/tmp"
write_ini() {  # <installJRE> <jrePath> <tempDir>
  printf '[foo]\r\ninstallJRE=%s\r\njrePath=%s\r\ntempDir=%s\r\n' "$1" "$2" "$3" > "$ini"
}
jre='C:\Program Files\JavaSoft\JRE\1.3.1'
printf '[SdAskDestPath-0]\r\nszDir=<JREPATH>\r\nboth=<JREPATH>;<JREPATH>\r\nResult=1\r\n' > "$tmpl"
expected="[SdAskDestPath-0]${crlf}szDir=$jre${crlf}both=$jre;<JREPATH>${crlf}Result=1${crlf}"

write_ini 0 "$jre" "$wwork\\tmp"
check "installJRE=0 exits 0" 0 "$(helper_exit 2 "$wini")"
check "installJRE=0 writes nothing" no "$([ -e "$tmpl"2 ] && echo yes || echo no)"
write_ini 1 "" "$wwork\\tmp"
check "empty jrePath exits 0" 0 "$(helper_exit 2 "$wini")"
check "empty jrePath writes nothing" no "$([ -e "$tmpl"2 ] && echo yes || echo no)"

write_ini 1 "$jre" "$wwork\\tmp"
check "tempDir without a backslash exits 0" 0 "$(helper_exit 2 "$wini")"
check_file "jre.iss2, first marker of each line replaced" "$tmpl"2 "$expected"
rm -f "$tmpl"2
write_ini 00 "$jre" "$wwork\\tmp\\"
check "tempDir with a backslash (installJRE=00) exits 0" 0 "$(helper_exit 2 "$wini")"
check_file "jre.iss2 from tempDir with a backslash" "$tmpl"2 "$expected"

# Every byte without a marker is copied as it is: NUL and 0x1A bytes, LF-only
# and CR LF line ends, a lone CR, a last line without a line end.
rm -f "$tmpl"2
printf 'a\0b=<JREPATH>\0c\n\032<JREPATH>\r\nd\re\r\n\032\377' > "$tmpl"
printf 'a\0b=%s\0c\n\032%s\r\nd\re\r\n\032\377' "$jre" "$jre" > "$work/bytes"
check "a template of any bytes exits 0" 0 "$(helper_exit 2 "$wini")"
check "jre.iss2 holds every other byte of the template unchanged" same \
  "$(cmp -s "$work/bytes" "$tmpl"2 && echo same || od -c "$tmpl"2 | head -5)"

rm -f "$tmpl" "$tmpl"2
check "missing template exits 1" 1 "$(helper_exit 2 "$wini")"
check "missing template writes nothing" no "$([ -e "$tmpl"2 ] && echo yes || echo no)"
finish
