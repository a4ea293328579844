#!/usr/bin/env bash
# Function 5 under Wine through the program's own PSAPI and VDMDBG calls,
# answered by stand-in psapi.dll and vdmdbg.dll beside a copy of helper.exe:
# a process-id list that does not fit the first buffers (the real processes
# come after hundreds of ids that name no process), and 16-bit tasks inside
# a running ntvdm.exe (Wine runs no virtual DOS machine, and its own VDMDBG
# task walk is a crashing stub).
source "$(dirname "$0")/wine-common.sh"

kit="$work/kit"
mkdir -p "$kit"
cp "$build/installhelper/helper.exe" "$doubles/proclist.exe" "$doubles/standins/psapi.dll" \
   "$doubles/standins/vdmdbg.dll" "$kit/"
for name in 'Netscape/netscape.exe' 'dos/ntvdm.exe'; do
  mkdir -p "$(dirname "$work/$name")"
  cp "$doubles/idle.exe" "$work/$name"
done
export PSAPISTUB_LOG="$wwork\\psapi.log" VDMSTUB_LOG="$wwork\\vdmdbg.log"
# Wine takes its own psapi.dll before one beside the program unless told.
export WINEDLLOVERRIDES="psapi,vdmdbg=n,b"
kit_helper=$(winpath "$kit/helper.exe")
logged() { if [ -f "$work/$1.log" ]; then tr -d '\r' <"$work/$1.log" | tr '\n' ';'; fi; }
# with <running program> <command...>: the command's full exit code, a fresh log
with() {
  local program=$1
  shift
  rm -f "$work/psapi.log" "$work/vdmdbg.log"
  "$KIV_WINE_RUN" "$doubles/withchild.exe" "$(winpath "$program")" "$@" | tr -d '\r' > "$work/out"
  sed -n 's/^exit=\(-\{0,1\}[0-9]*\) .*/\1/p' "$work/out"
}

# The list grows by doubling until it fits: 600 ids before the real ones
# take more than 2048 bytes.
check "netscape.exe after 600 other ids: running" 1 \
  "$(PSAPISTUB_PAD=600 with "$work/Netscape/netscape.exe" "$kit_helper" 5)"
check "the stand-in psapi.dll was the one used" "EnumProcesses 1024;EnumProcesses 2048;EnumProcesses 4096;" \
  "$(logged psapi)"
check "250 ids before the real ones: 1024 bytes, then 2048" \
  "EnumProcesses 1024;EnumProcesses 2048;" \
  "$(PSAPISTUB_PAD=250 with "$work/Netscape/netscape.exe" "$kit_helper" 5 >/dev/null; logged psapi)"

# 16-bit tasks: asked for the virtual DOS machine only; a task whose file is
# ...\NETSCAPE.EXE is the browser.
export VDMSTUB_TASKS='C:\WINDOWS\SYSTEM\KRNL386.EXE;C:\NETSCAPE\NETSCAPE.EXE'
check "netscape as a 16-bit task of ntvdm.exe: running" 1 "$(with "$work/dos/ntvdm.exe" "$kit_helper" 5)"
check "the tasks of ntvdm.exe alone were asked" "VDMEnumTaskWOWEx $wwork\\dos\\ntvdm.exe;" "$(logged vdmdbg)"
rm -f "$work/vdmdbg.log"
check "without ntvdm.exe: not running" 0 \
  "$("$KIV_WINE_RUN" "$build/tests/windows/exitcode.exe" "$kit_helper" 5 | tr -d '\r' | sed -n 's/^exit=\([-0-9]*\) .*/\1/p')"
check "without ntvdm.exe: no task walk" "" "$(logged vdmdbg)"
VDMSTUB_TASKS='C:\WINDOWS\SYSTEM\KRNL386.EXE;C:\NS\MYNETSCAPE.EXE'
check "16-bit tasks without netscape.exe: not running" 0 "$(with "$work/dos/ntvdm.exe" "$kit_helper" 5)"
VDMSTUB_TASKS='C:\WINDOWS\SYSTEM\KRNL386.EXE;C:\NETSCAPE\NETSCAPE.EXE'

# What the walk hands the visitor: each task with its 16-bit handle, after
# its virtual DOS machine and under its process id.
with "$work/dos/ntvdm.exe" "$(winpath "$kit/proclist.exe")" >/dev/null
vdm=$(grep -F " 0 $wwork\\dos\\ntvdm.exe" "$work/out" | cut -d' ' -f1)
check "proclist: the tasks follow ntvdm.exe with its id and their handles" \
  "$vdm 0 $wwork\\dos\\ntvdm.exe;$vdm 4097 C:\\WINDOWS\\SYSTEM\\KRNL386.EXE;$vdm 4098 C:\\NETSCAPE\\NETSCAPE.EXE;" \
  "$(grep -A2 -F " 0 $wwork\\dos\\ntvdm.exe" "$work/out" | tr '\n' ';')"
finish
