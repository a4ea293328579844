#!/usr/bin/env bash
# kivutils.dll under Wine: loaded by a Windows program that finds every frame
# method by name and calls it through the stand-in JNIEnv (or another family's
# program, named as the argument: kivutils_streams_wine runs the DD and stream
# families on real files in the temporary directory). Then, for the frame,
# eight processes append to one trace file at once.
set -euo pipefail
build=${KIV_WINDOWS_BUILD_DIR:?}
program=${1:-kivutils_wine}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
driver=$build/tests/windows/hostlib/$program.exe
dll=$(winpath "$build/hostlib/kivutils.dll")
set +e
out=$("$KIV_WINE_RUN" "$driver" "$dll" "$(winpath "$work/trace.txt")" 2>&1 | tr -d '\r')
rc=$?
set -e
echo "$out"
[ "$rc" -eq 0 ] && [[ "$out" == *$'\n0 failed'* ]] || exit 1
[ "$program" = kivutils_wine ] || exit 0

# Eight processes append lines of 100 to 20,000 characters to one trace file
# at once: they set the trace up, and once all are ready they start together.
writers=8 lines=40
pids=()
for w in $(seq 0 $((writers - 1))); do
  "$KIV_WINE_RUN" "$driver" "$dll" "$(winpath "$work/shared.txt")" append "W$w" "$lines" \
    "$(winpath "$work/ready$w")" "$(winpath "$work/go")" > "append$w.log" 2>&1 &
  pids+=($!)
done
for _ in $(seq 600); do
  [ "$(find . -maxdepth 1 -name 'ready*' | wc -l)" -eq "$writers" ] && break
  sleep 0.1
done
touch go
rc=0
for pid in "${pids[@]}"; do wait "$pid" || rc=1; done
cat append*.log | tr -d '\r'
out=$("$KIV_WINE_RUN" "$driver" verify "$(winpath "$work/shared.txt")" "$writers" "$lines" 2>&1 | tr -d '\r') || rc=1
echo "$out"
[ "$rc" -eq 0 ] && [[ "$out" == *$'\n0 failed'* ]]
