#!/usr/bin/env bash
# The DD and stream families of kivutils.dll under Wine, on real files in a
# directory of their own.
set -euo pipefail
build=${KIV_WINDOWS_BUILD_DIR:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
set +e
out=$("$KIV_WINE_RUN" "$build/tests/windows/hostlib/kivutils_streams_wine.exe" \
      "$(winpath "$build/hostlib/kivutils.dll")" "$(winpath "$work/trace.txt")" 2>&1 | tr -d '\r')
rc=$?
set -e
echo "$out"
[ "$rc" -eq 0 ] && [[ "$out" == *$'\n0 failed'* ]]
