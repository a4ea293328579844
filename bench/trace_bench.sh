#!/usr/bin/env bash
# Trace lines per second through kivutils against Java writing the same lines
# the same way, as a result row for bench/table.py.
#   trace_bench.sh <kivjava> <jar dir> <libkivutils.so> <java home> [rounds]
set -euo pipefail
kivjava=$1 jars=$2 lib=$3 java_home=$4 rounds=${5:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export JAVA_HOME=$java_home KIVCLASSPATH1="$jars/kivhost.jar:" KIVCLASSPATH2="$jars/kivtestapps.jar:"
unset CLASSPATH KIVOPTIONS KIVPROPERTIES KIVTRACEPATH
printf 'kiv.application=com.zov.kiv.test.TraceBench\nkiv.library=%s\nbench.rounds=%s\n' "$lib" "$rounds" > bench.properties
"$kivjava" bench.properties | grep '^ROW'
