#!/usr/bin/env bash
# kivutils.dll under Wine: loaded by a Windows program that finds every frame
# method by name and calls it through the stand-in JNIEnv (or another family's
# program, named as the argument: kivutils_streams_wine runs the DD and stream
# families on real files in the temporary directory).
set -euo pipefail
build=${KIV_WINDOWS_BUILD_DIR:?}
program=${1:-kivutils_wine}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
set +e
out=$("$KIV_WINE_RUN" "$build/tests/windows/hostlib/$program.exe" \
      "$(winpath "$build/hostlib/kivutils.dll")" "$(winpath "$work/trace.txt")" 2>&1 | tr -d '\r')
rc=$?
set -e
echo "$out"
[ "$rc" -eq 0 ] && [[ "$out" == *$'\n0 failed'* ]]
