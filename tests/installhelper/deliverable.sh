#!/usr/bin/env bash
# deliverable.sh <helper.exe>: the 32-bit helper is a PE32 console program
# whose only imports are kernel32, advapi32 and msvcrt (PSAPI, VDMDBG and the
# tool-help functions are loaded at run time, so it starts on every Windows).
set -euo pipefail
exe=$1
dump=$(objdump -p "$exe")
fail=0
grep -q 'file format pei-i386' <<<"$dump" || { echo "FAIL not PE32 (pei-i386)"; fail=1; }
grep -q 'Subsystem.*Windows CUI' <<<"$dump" || { echo "FAIL not a console program"; fail=1; }
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
[ "$imports" = "ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL " ] || { echo "FAIL imports: $imports"; fail=1; }
[ $fail -eq 0 ] && echo "ok   $exe: PE32 console program importing $imports"
exit $fail
