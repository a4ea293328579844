#!/usr/bin/env bash
# Dravik.exe (32-bit deliverable) loads the security functions from
# advapi32.dll at run time: none of them may be imported.
set -euo pipefail
exe=${1:?usage: imports.sh Dravik.exe}
imports=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'DLL Name: USER32.dll' <<<"$imports" || { echo "FAIL: no user32 import" >&2; exit 1; }
for f in AllocateAndInitializeSid OpenProcessToken GetTokenInformation EqualSid FreeSid; do
  if grep -qw "$f" <<<"$imports"; then
    echo "FAIL: $f is imported" >&2
    exit 1
  fi
  # ...but named for GetProcAddress.
  grep -qa "$f" "$exe" || { echo "FAIL: $f not named in the program" >&2; exit 1; }
done
echo "ok: the security functions are loaded at run time"
