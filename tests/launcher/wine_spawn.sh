#!/usr/bin/env bash
# kivjava.exe's spawned-client modes under Wine: cmd.exe runs the command
# line of the system mode; output, the end marker on both streams, full exit
# codes (through the exitcode driver), the utility mode with DD lists, names
# Windows would turn into devices or change, file names in any case, and the
# lines both modes add to one shared trace file.
set -euo pipefail
build=${KIV_WINDOWS_BUILD_DIR:?}
exe=$build/launcher/kivjava.exe
driver=$build/tests/windows/exitcode.exe
source "$(dirname "${BASH_SOURCE[0]}")/wine_common.sh"
marker='-00000-child-end-00000-'
trace=$(winpath "$work/shared trace.txt")
kivjava=$(winpath "$exe")
unset KIVCREATEFILES KIVDELETEFILES || true

# System mode: cmd.exe runs the line; marker ends both streams.
out=$(echo 'echo hello' | "$KIV_WINE_RUN" "$exe" -spawnclient_system '' '' 2>err.txt | tr -d '\r')
err=$(tr -d '\r' < err.txt)
check "command output" "hello" "$out"
check "return code line and marker on stdout" $'return code from system call: 000000000000 (00000000)\n'"$marker" "$out"
check "marker on stderr" "$marker: " "$err"

out=$(echo 'exit 1' | "$KIV_WINE_RUN" "$driver" "$kivjava" -spawnclient_system "$trace" 8 2>&1 | tr -d '\r')
check "exit 1 printed" "return code from system call: 000000000001 (00000001)" "$out"
check "exit code 1" "exit=1 (0x00000001)" "$out"
out=$(echo 'exit 70000' | "$KIV_WINE_RUN" "$driver" "$kivjava" -spawnclient_system '' '' 2>&1 | tr -d '\r')
check "full exit code" "exit=70000 (0x00011170)" "$out"
out=$("$KIV_WINE_RUN" "$driver" "$kivjava" -spawnclient_system "$trace" 7 < /dev/null 2>&1 | tr -d '\r')
check "end of input: exit code -1" "exit=-1 (0xffffffff)" "$out"
absent "end of input: no marker" "$marker" "$out"

# Utility mode: empty list, failing allocation, concatenation.
pip() {  # <dd> <dsname> <status> <normdisp> [<volser> [<path>]]
  local s="$1 \$ $2 \$ 0 \$ 00000000 \$ 00000000 \$ $3 \$ $4 \$ 0 \$ 00000000 \$ ${5:-00000000} \$ "
  local i
  for i in $(seq 10 41); do
    case $i in
      32) s+="${6:-00000000} \$ " ;;
      17|18|19|21|26|27|28|29|30) s+="00000000 \$ " ;;
      *) s+="0 \$ " ;;
    esac
  done
  printf '%s $$$ ' "${s% }"
}
# Runs the utility mode on one PIP list with KIVCREATEFILES and
# KIVDELETEFILES set; the output without CRs.
attach() {  # <list>
  KIVCREATEFILES=YES KIVDELETEFILES=YES "$KIV_WINE_RUN" "$driver" "$kivjava" -spawnclient_attach U '' '' "$1" "$trace" 1 \
    2>&1 | tr -d '\r'
}
refused='return code from system call: 000016773120 (00fff000)'
concat='$C$O$N$C$A$T$ $$$ '
out=$("$KIV_WINE_RUN" "$driver" "$kivjava" -spawnclient_attach UTIL1 LIST MYLIB '' "$trace" 5 2>&1 | tr -d '\r')
check "eight argument lines" $'argv[4]: MYLIB\nargv[5]: \nargv[6]: ' "$out"
check "utility return code" $'return code from system call: 000000000000 (00000000)\n'"$marker" "$out"
check "utility exit code" "exit=0 (0x00000000)" "$out"

out=$("$KIV_WINE_RUN" "$driver" "$kivjava" -spawnclient_attach UTIL2 '' '' "$(pip A ZZ.MISSING 8 0)" "$trace" 5 2>&1 | tr -d '\r')
check "failing allocation" "return code from system call: 000016773120 (00fff000)" "$out"
check "failing allocation exit code" "exit=0 (0x00000000)" "$out"

list="$(pip A ZZ.A 4 4)$concat$(pip B ZZ.B 4 8)"
out=$(KIVDELETEFILES=YES "$KIV_WINE_RUN" "$driver" "$kivjava" -spawnclient_attach UTIL3 '' '' "$list" "$trace" 8 2>&1 | tr -d '\r')
check "concatenation creates the files" "Creating file 'ZZ.B__'" "$out"
check "concatenation exit code" "exit=0 (0x00000000)" "$out"
files=$(ls)
absent "DELETE disposition deleted ZZ.A__" "ZZ.A__" "$files"
check "KEEP disposition kept ZZ.B__" "ZZ.B__" "$files"

# A data-set name that cmd.exe would have run a command from.
out=$(KIVDELETEFILES=YES "$KIV_WINE_RUN" "$driver" "$kivjava" -spawnclient_attach U '' '' "$(pip D 'ZZ&mkdir PWNED' 4 4)" '' '' 2>&1 | tr -d '\r')
check "metacharacter name allocated" "Creating file 'ZZ&mkdir PWNED__'" "$out"
files=$(ls)
absent "metacharacter name ran nothing" "PWNED"$'\n' "$files"$'\n'
absent "metacharacter name's file deleted" "ZZ&mkdir" "$files"

# Names that Windows turns into a device or changes: refused (0x0360), no
# "Creating file", nothing written anywhere.
for ds in NUL.DATA nul.data PRN.LIST CON.X AUX.TEST COM1.X; do
  out=$(attach "$(pip D "$ds" 4 4)")
  check "device name $ds refused" "$refused" "$out"
  absent "device name $ds: no file made" "Creating file" "$out"
done
for path in LPT1 'CONIN$' conout\$.txt /u/x. '/u/y '; do
  out=$(attach "$(pip D 00000000 8 4 00000000 "$path")")
  check "HFS path '$path' refused" "$refused" "$out"
  absent "HFS path '$path': no file made" "Creating file" "$out"
done
out=$(attach "$(pip D ZZ.VOL 4 2 'VOL.')")
check "volume ending in a dot refused" "$refused" "$out"
files=$(ls)
absent "no file for a dropped dot" '$u$x' "$files"
absent "no file for a volume with a dot" "ZZ.VOL" "$files"

# NEW with CATLG over an existing copy without volume: that copy keeps its data.
printf 'the data' > ZZ.CAT__
out=$(KIVDELETEFILES=YES "$KIV_WINE_RUN" "$driver" "$kivjava" -spawnclient_attach U '' '' "$(pip OUT ZZ.CAT 4 2 VOL7)" '' '' 2>&1 | tr -d '\r')
check "CATLG creates the volume's file" "Creating file 'ZZ.CAT__VOL7'" "$out"
absent "CATLG leaves the existing copy alone" "Creating file 'ZZ.CAT__'" "$out"
check "the existing copy keeps its data" "the data" "$(cat ZZ.CAT__)"

# Windows file names ignore case: allocation finds zz.low2__ for ZZ.LOW2, and
# deletion of ZZ.NEW removes zz.new_m3_ as del did.
printf 'x\n' > zz.low2__
out=$(KIVDELETEFILES=YES "$KIV_WINE_RUN" "$driver" "$kivjava" -spawnclient_attach U '' '' "$(pip D ZZ.LOW2 8 8)" '' '' 2>&1 | tr -d '\r')
check "allocation ignores case" "return code from system call: 000000000000 (00000000)" "$out"
printf 'x\n' > ZZ.NEW__
printf 'x\n' > zz.new_m3_
printf 'x\n' > ZZ.NEWER__
out=$(KIVDELETEFILES=YES "$KIV_WINE_RUN" "$driver" "$kivjava" -spawnclient_attach U '' '' "$(pip D ZZ.NEW 1 1)" '' '' 2>&1 | tr -d '\r')
files=$(ls)
absent "UNCATLG deleted ZZ.NEW__" "ZZ.NEW__"$'\n' "$files"$'\n'
absent "UNCATLG deleted zz.new_m3_ (any case)" "zz.new_m3_" "$files"
check "UNCATLG kept ZZ.NEWER__" "ZZ.NEWER__" "$files"

# More of what cmd.exe would have read as commands, variables or paths.
mkdir -p inner
out=$(attach "$(pip D 'ZZ|mkdir PIPED' 4 4)")
check "'|' refused" "$refused" "$out"
out=$(attach "$(pip D 'ZZ^&mkdir CARET' 4 4)")
check "'^&' allocated as a name" "Creating file 'ZZ^&mkdir CARET__'" "$out"
out=$(attach "$(pip D 'ZZ%TEMP%X' 4 8)")
check "'%TEMP%' stays in the name" "Creating file 'ZZ%TEMP%X__'" "$out"
out=$(cd inner && attach "$(pip D '..\ESCAPED' 4 4)")
check "'..\' refused" "$refused" "$out"
files=$(ls)
absent "'|' ran nothing" "PIPED" "$files"
absent "'^&' ran nothing" "CARET"$'\n' "$files"$'\n'
absent "'^&' name deleted" "ZZ^&mkdir" "$files"
check "'%TEMP%' file kept under its own name" 'ZZ%TEMP%X__' "$files"
absent "'..\' wrote nothing into the directory above" "ESCAPED" "$files"
absent "'..\' wrote nothing into its own directory" "ESCAPED" "$(ls inner)"

text=$(tr -d '\r' < "shared trace.txt")
check "every trace line ends in CR LF" "lines=$(wc -l < "shared trace.txt")." "lines=$(grep -c $'\r$' "shared trace.txt")."
check "level 8: system mode lines" "   spawnclient_system(): 'exit 1'" "$text"
sysbegins=$(grep -c 'spawnclient_system() begin' <<<"$text" || true)
check "level 7 traces none of the mode's lines, 8 does" "1" "$sysbegins"
check "level 5: utility trace" "   "$'\t'"ATTACH='UTIL1   '  (PARM='LIST')  (STEPLIB='MYLIB   ')" "$text"
check "level 5: failing allocation" $'\t'"dynalloc failed: DD=A (ZZ.MISSING), errcode=0x00006708" "$text"
absent "level 5: no utility for a failing list" "ATTACH='UTIL2   '" "$text"
check "level 1: a device name's code" $'\t'"dynalloc failed: DD=D (NUL.DATA), errcode=0x00000360" "$text"
check "level 8: concatenation" $'\t'"concatenate next DD to 'A'" "$text"
check "level 8: attach begin" "   spawnclient_attach() begin" "$text"
check "level 8: free" $'\t'"free in spawned process: A" "$text"
begins=$(grep -c 'spawnclient_attach() begin' <<<"$text" || true)
check "level 5: no begin line of its own" "1" "$begins"

summary
