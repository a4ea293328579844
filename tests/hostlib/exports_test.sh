#!/usr/bin/env bash
# The export table of kivutils.dll: every native method that the Java classes
# declare (their javac -h headers) under its plain JNI name and, in the i686
# build, also under its stdcall name with the argument bytes (@N). x86_64 has
# one calling convention and no decoration: there the plain names alone. No
# other name leaves the library.
#   exports_test.sh <objdump> <kivutils.dll> <directory of the generated headers> [win32|win64]
set -euo pipefail
objdump=$1 dll=$2 headers=$3 arch=${4:-win32}
exports=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | tail -n +2 | sed -n 's/^.*\] //p')
case $arch in
  win32) format=pei-i386 ;;
  win64) format=pei-x86-64 ;;
  *) echo "unknown architecture $arch"; exit 2 ;;
esac
"$objdump" -f "$dll" | grep -q "file format $format\$" || { echo "FAILED: $dll is not $format"; exit 1; }
failures=0 count=0 expected=""
# A prototype in the headers: "JNIEXPORT <type> JNICALL <name>" then "  (<args>);".
while read -r name args; do
  names=$name
  if [ "$arch" = win32 ]; then
    # Arguments are 4 bytes each on i686, but jlong and jdouble take 8.
    IFS=',' read -ra list <<< "$args"
    bytes=0
    for a in "${list[@]}"; do
      case "$(echo "$a" | tr -d ' ')" in jlong|jdouble) bytes=$((bytes + 8)) ;; *) bytes=$((bytes + 4)) ;; esac
    done
    names="$name $name@$bytes"
  fi
  for n in $names; do
    count=$((count + 1))
    expected+="$n"$'\n'
    if grep -qxF "$n" <<< "$exports"; then echo "ok: $n"; else echo "FAILED: $n not exported"; failures=$((failures + 1)); fi
  done
done < <(cat "$headers"/*.h | tr -d '\n' | grep -o 'JNICALL Java_[A-Za-z0-9_]*  *([^)]*)' |
         sed -E 's/JNICALL (Java_[A-Za-z0-9_]*) *\((.*)\)/\1 \2/')
while read -r n; do
  [ -n "$n" ] || continue
  if ! grep -qxF "$n" <<< "$expected"; then echo "FAILED: $n exported but not a native method's name"; failures=$((failures + 1)); fi
done <<< "$exports"
echo "$count names checked, $failures wrong"
[ "$count" -gt 0 ] && [ "$failures" -eq 0 ]
