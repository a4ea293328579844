#!/usr/bin/env bash
# Prints the Wine architecture this machine can run: "win32" when 32-bit
# programs run (the deliverables' own architecture), else "win64" (a kernel
# without 32-bit emulation: the Windows tests then run 64-bit builds of the
# same sources under wine64).
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo win32
else
  echo win64
fi
