#!/usr/bin/env bash
# The zip of a Windows build unpacked into a temporary folder (the win64 one
# runs under wine64): kivjava.exe runs from there with the stand-in jvm.dll,
# finds the jar beside it through the class path, and writes its trace file;
# the zip's kivutils.dll loads and answers through the stand-in JNIEnv.
set -euo pipefail
build=${KIV_WINDOWS_BUILD_DIR:?}
source "$(dirname "${BASH_SOURCE[0]}")/package_common.sh"

zip=$(make_package "$build" ZIP)
mkdir -p "$work/root"
(cd "$work/root" && unzip -q "$zip")
dir=$(ls -d "$work"/root/kiv-*)
cd "$work"
printf 'kiv.application=com.zov.kiv.demo.Demo\n' > demo.properties
unset JAVA_HOME KIVCLASSPATH1 CLASSPATH || true
out=$(WINEPATH=$(winpath "$build/tests/windows/launcher/fakejvm") FAKEJVM_RECORD=record.txt \
      KIVCLASSPATH1="$(winpath "$dir/kivhost.jar");" FAKEJVM_RESULT=0 \
      "$KIV_WINE_RUN" "$(winpath "$build/tests/windows/exitcode.exe")" \
      "$(winpath "$dir/kivjava.exe")" -t demo.properties traces 2>&1 | tr -d '\r' || true)
check "kivjava.exe from the zip runs kiv_main" "fakejvm: kiv_main called" "$out"
check "exit status 0" "exit=0 (0x00000000)" "$out"
record=$(tr -d '\r' < record.txt 2>/dev/null || true)
check "the jar from the zip on the class path" "kivhost.jar;" "$record"
trace=$(ls traces/TRC.KIVUTILS.*GMT.TXT 2>/dev/null || true)
check "trace file written" "TRC.KIVUTILS." "$trace"
out=$("$KIV_WINE_RUN" "$build/tests/windows/hostlib/kivutils_wine.exe" \
      "$(winpath "$dir/kivutils.dll")" "$(winpath "$work/utils-trace.txt")" 2>&1 | tr -d '\r' || true)
check "kivutils.dll from the zip loads" "ok: LoadLibrary" "$out"
check "kivutils.dll from the zip answers" $'\n0 failed' "$out"
summary
