#!/usr/bin/env bash
# The library starts no program: it imports none of the C library's ways to
# start one (the command interpreter, a pipe to it, exec, spawn, fork).
#   starts_no_program.sh nm <libkivutils.so>
#   starts_no_program.sh <objdump> <kivutils.dll>
set -euo pipefail
tool=$1 lib=$2
if [ "$tool" = nm ]; then
  imports=$(nm -D --undefined-only "$lib" | awk '{print $NF}' | sed 's/@.*//')
else
  imports=$("$tool" -p "$lib" | awk '/^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[^[:space:]]+$/ {print $3}')
fi
[ -n "$imports" ] || { echo "no imports read from $lib"; exit 1; }
bad=$(grep -x -E '_?(system|_?popen|_?wsystem|_?wpopen|_?exec[lv]p?e?|_?spawn[lv]p?e?|posix_spawnp?|fork|vfork|CreateProcess[AW]|WinExec|ShellExecute[AW])' <<<"$imports" || true)
if [ -n "$bad" ]; then
  echo "$lib imports: $bad"
  exit 1
fi
echo "$lib starts no program ($(wc -l <<<"$imports") imports checked)"
