#!/usr/bin/env bash
# The Linux tar.gz unpacked into a temporary root: kivjava runs the demo on
# the real JDK, and the host classes find libkivutils.so in the package's
# lib/ without LD_LIBRARY_PATH or a "kiv.library" entry.
set -euo pipefail
build=${1:?build dir}
jdk=${2:?JDK home}
source "$(dirname "${BASH_SOURCE[0]}")/package_common.sh"

tgz=$(make_package "$build" TGZ)
root=$work/root
mkdir -p "$root"
tar -xzf "$tgz" -C "$root" --strip-components=1
listing=$(cd "$root" && find . -type f | sort)
for f in bin/kivjava lib/libkivutils.so share/java/kivhost.jar share/kiv/demo/kivdemo.jar \
         share/kiv/demo/demo.properties share/doc/kiv/README.md share/doc/kiv/guide.md; do
  check "package holds $f" "./$f" "$listing"
done

cd "$work"
cp "$root/share/kiv/demo/demo.properties" .
unset LD_LIBRARY_PATH CLASSPATH || true
set +e
out=$(JAVA_HOME=$jdk KIVCLASSPATH1="$root/share/java/kivhost.jar:" \
      KIVCLASSPATH2="$root/share/kiv/demo/kivdemo.jar:" \
      "$root/bin/kivjava" -t demo.properties traces 2>&1)
rc=$?
set -e
check "demo exit status 0" "rc=0" "rc=$rc"
check "the library is loaded from the package" "kivutils library version 0xA047 (as expected)" "$out"
check "the demo runs to its end" "kiv_main returns 0" "$out"
trace=$(cat traces/TRC.KIVUTILS.*GMT.TXT 2>/dev/null || true)
check "the demo's line in the trace file" "Demo: Hello from the host" "$trace"
[ "$failures" -eq 0 ] || echo "$out"
summary
