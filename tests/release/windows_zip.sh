#!/usr/bin/env bash
# A Windows zip as a user unpacks it: one folder named for the package, each
# program of the architecture's format and linked statically (it needs no
# mingw-w64 runtime DLL, whose names all begin with "lib").
#   win32 (the i686 build): every deliverable, PE32 (32-bit).
#   win64 (the x86_64 build): the launcher and the library only, PE32+
#   (64-bit); the installation tools are 32-bit programs and not in it.
#   windows_zip.sh <build dir> <win32|win64>
set -euo pipefail
build=${1:?build dir}
arch=${2:?win32 or win64}
source "$(dirname "${BASH_SOURCE[0]}")/package_common.sh"

programs="kivjava.exe kivutils.dll"
tools="Vantor.dll helper.exe Dravik.exe"
case $arch in
  win32) format=pei-i386 programs+=" $tools" ;;
  win64) format=pei-x86-64 ;;
  *) echo "unknown architecture $arch"; exit 2 ;;
esac
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip=$(make_package "$build" ZIP)
check "the zip is named for $arch" "/kiv-$version-$arch.zip" "$zip"
mkdir -p "$work/root"
(cd "$work/root" && unzip -q "$zip")
check "one folder named as the zip" "kiv-$version-$arch" "$(ls "$work/root")"
dir=$(ls -d "$work"/root/kiv-*)
listing=$(cd "$dir" && ls | sort | tr '\n' ' ')
expected=$(echo $programs kivhost.jar README.md guide.md | tr ' ' '\n' | sort | tr '\n' ' ')
check "the zip holds exactly its files" "=$expected=" "=$listing="
for f in $programs; do
  format_line=$(objdump -f "$dir/$f" 2>/dev/null | grep 'file format' || true)
  check "$f is $format" "file format $format" "$format_line"
  imports=$(objdump -p "$dir/$f" 2>/dev/null | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
  check "$f imports system DLLs" "KERNEL32.dll" "$imports"
  absent "$f needs no mingw-w64 runtime DLL" " lib" " $imports"
done
summary
