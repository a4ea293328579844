#!/usr/bin/env bash
# kivutils against Java's own classes: trace lines per second against Java
# writing the same lines the same way, and the data-set streams on the same files:
# record and byte throughput (ratio kivutils / Java in CPU time, goal >= 0.9;
# the writer: see below) and the
# growth of the peak memory while a 1 GiB file is read line by line (goal:
# under 16 MiB), as result rows for bench/table.py.
#   streams_bench.sh <kivjava> <jar dir> <libkivutils.so> <java home> [rounds]
set -euo pipefail
kivjava=$1 jars=$2 lib=$3 java_home=$4 rounds=${5:-5}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export JAVA_HOME=$java_home KIVCLASSPATH1="$jars/kivhost.jar:" KIVCLASSPATH2="$jars/kivtestapps.jar:"
unset CLASSPATH KIVOPTIONS KIVPROPERTIES KIVTRACEPATH
printf 'kiv.application=com.zov.kiv.test.TraceBench\nkiv.library=%s\nbench.rounds=%s\n' "$lib" "$rounds" > bench.properties
"$kivjava" bench.properties | grep '^ROW'
python3 "$here/make_lines.py" lines.txt
props() { printf 'kiv.application=com.zov.kiv.test.StreamsBench\nkiv.library=%s\n%s\n' "$lib" "$1" > bench.properties; }
for m in read-records bytes; do
  props "bench.mode=$m
bench.file=lines.txt
bench.rounds=$rounds"
  "$kivjava" bench.properties | grep '^ROW'
done
# The writer against Java's, in three fresh VMs of each JDK (the median VM
# counts): JDK 17 (goal 0.8 of BufferedWriter.write) and, when present,
# JDK 25 (goal 0.7). The figures name the JDK.
jdk25=${KIV_JDK25_HOME:-/usr/lib/jvm/temurin-25-jdk-amd64}
for jdk in "$java_home:0.80" "$jdk25:0.70"; do
  home=${jdk%:*} goal=${jdk##*:}
  [ -x "$home/bin/java" ] || continue
  version=$("$home/bin/java" -version 2>&1 | sed -n '1s/.*version "\([0-9]*\).*/\1/p')
  props "bench.mode=write-records
bench.file=lines.txt
bench.rounds=$rounds
bench.goal=$goal"
  for _ in 1 2 3; do
    JAVA_HOME=$home "$kivjava" bench.properties | grep '^ROW' | sed "s/^ROW\t/ROW\tJDK $version: /"
  done | python3 "$here/median_rows.py"
done
# Eight threads on one writer against eight on one BufferedWriter, in three
# fresh VMs (the median VM counts).
props "bench.mode=write-shared
bench.file=lines.txt
bench.rounds=$rounds"
for _ in 1 2 3; do
  "$kivjava" bench.properties | grep '^ROW'
done | python3 "$here/median_rows.py"
# 1 GiB of lines, read with a small fixed Java heap so that the heap hides nothing.
for _ in $(seq 10); do cat lines.txt; done | head -c 1073741824 > big.txt
rm -f lines.txt out.kiv out.java bin.kiv bin.java
declare -A growth
for m in memory-java memory-kiv; do
  props "bench.mode=$m
bench.file=big.txt"
  line=$("$kivjava" bench.properties -ms16777216 -mx16777216 | grep '^memory')
  echo "$line" >&2
  growth[$m]=$(sed -n 's/.*growth \(-\?[0-9]*\) KiB.*/\1/p' <<<"$line")
done
awk -v k="${growth[memory-kiv]}" -v j="${growth[memory-java]}" 'BEGIN {
  printf "ROW\tpeak memory growth, 1 GiB read by readRecordN (MiB)\t%.2f\tBufferedReader.readLine\t%.2f\tvalue<16\n", k / 1024, j / 1024 }'
