#!/usr/bin/env bash
# Builds the launcher and the kivutils library and runs the demo host
# application with them on the installed JDK. Installs what is missing first.
# Exits with the demo's result.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KIV_BUILD_DIR:-$root/build}/release

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKIV_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target kivjava kivutils kivhost kivdemo >/dev/null

javac_real=$(readlink -f "$(command -v javac)")
export JAVA_HOME=${JAVA_HOME:-$(dirname "$(dirname "$javac_real")")}
# The class path comes from numbered variables; each entry carries its separator.
export KIVCLASSPATH1="$build/java/kivhost.jar:"
export KIVCLASSPATH2="$build/java/kivdemo.jar:"

work=$build/demo-run
mkdir -p "$work"
cd "$work"
cp "$root/java/demo/demo.properties" .
# The Java side loads kivutils from the file that "kiv.library" names.
echo "kiv.library=$build/hostlib/libkivutils.so" >> demo.properties
echo "+ kivjava -t demo.properties traces"
set +e
"$build/launcher/kivjava" -t demo.properties traces
rc=$?
set -e
echo "+ kivjava exited with $rc; trace files in $work/traces:"
ls "$work/traces"
echo "+ the line the demo wrote through kivutils:"
grep -h "Demo: " "$work"/traces/* | tail -n 1 || true
exit $rc
