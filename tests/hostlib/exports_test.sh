#!/usr/bin/env bash
# The export table of the i686 kivutils.dll: every native method that the
# Java classes declare (their javac -h headers) under its plain JNI name and
# its stdcall name with the argument bytes (@N).
#   exports_test.sh <objdump> <kivutils.dll> <directory of the generated headers>
set -euo pipefail
objdump=$1 dll=$2 headers=$3
exports=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '{print $NF}')
"$objdump" -f "$dll" | grep -q 'file format pei-i386' || { echo "FAILED: $dll is not PE32"; exit 1; }
failures=0 count=0
# A prototype in the headers: "JNIEXPORT <type> JNICALL <name>" then "  (<args>);".
while read -r name args; do
  # Arguments are 4 bytes each on i686, but jlong and jdouble take 8.
  IFS=',' read -ra list <<< "$args"
  bytes=0
  for a in "${list[@]}"; do
    case "$(echo "$a" | tr -d ' ')" in jlong|jdouble) bytes=$((bytes + 8)) ;; *) bytes=$((bytes + 4)) ;; esac
  done
  for n in "$name" "$name@$bytes"; do
    count=$((count + 1))
    if grep -qxF "$n" <<< "$exports"; then echo "ok: $n"; else echo "FAILED: $n not exported"; failures=$((failures + 1)); fi
  done
done < <(cat "$headers"/*.h | tr -d '\n' | grep -o 'JNICALL Java_[A-Za-z0-9_]*  *([^)]*)' |
         sed -E 's/JNICALL (Java_[A-Za-z0-9_]*) *\((.*)\)/\1 \2/')
echo "$count names checked, $failures missing"
[ "$count" -gt 0 ] && [ "$failures" -eq 0 ]
