#!/usr/bin/env bash
# The VM's own price of a native method per record (bench/jnifloor), against
# Java's readers and writers on the same records, as result rows for
# bench/table.py.
#   jni_floor.sh <java home> <output dir> [rounds]
set -euo pipefail
java_home=$1 out=$(realpath -m "$2") rounds=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out/jnifloor"
c++ -O2 -std=c++20 -shared -fPIC -I"$java_home/include" -I"$java_home/include/linux" \
    "$here/jnifloor/jni_floor.cpp" -o "$out/jnifloor/libkivjnifloor.so"
"$java_home/bin/javac" -d "$out/jnifloor" "$here/jnifloor/kivbench/JniFloor.java"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_lines.py" "$work/lines.txt"
cd "$work"
"$java_home/bin/java" -Djava.library.path="$out/jnifloor" -cp "$out/jnifloor" kivbench.JniFloor lines.txt "$rounds"
