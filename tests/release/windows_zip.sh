#!/usr/bin/env bash
# The zip of the i686 build as a user unpacks it: every deliverable in one
# folder, each program a PE32 (32-bit) file.
set -euo pipefail
build=${1:?i686 build dir}
source "$(dirname "${BASH_SOURCE[0]}")/package_common.sh"

zip=$(make_package "$build" ZIP)
check "the zip is named for win32" "-win32.zip" "$zip"
mkdir -p "$work/root"
(cd "$work/root" && unzip -q "$zip")
dir=$(ls -d "$work"/root/kiv-*)
listing=$(cd "$dir" && ls)
for f in kivjava.exe kivutils.dll Vantor.dll helper.exe Dravik.exe kivhost.jar README.md guide.md; do
  check "zip holds $f" "$f" "$listing"
done
for f in kivjava.exe kivutils.dll Vantor.dll helper.exe Dravik.exe; do
  format=$(objdump -f "$dir/$f" 2>/dev/null | grep 'file format' || true)
  check "$f is PE32" "pei-i386" "$format"
done
summary
