#!/usr/bin/env bash
# Dravik.exe under Wine with stand-ins for the Windows calls that Wine always
# answers the same way: a copy of the program whose import of KERNEL32.dll is
# renamed to DVKSTB32.dll, which forwards everything to kernel32 but the
# version query, the memory status, the own path and (through GetProcAddress)
# the token calls, which answer as DVKSTB_* says (see kernelstub.cpp).
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_common.sh"
unset DISPLAY WAYLAND_DISPLAY

# stub_kit <name>: a kit whose Dravik.exe calls the stand-in.
stub_kit() {
  kit "$1"
  local exe=$work/$1/Dravik.exe offsets
  offsets=$(grep -obUaF 'KERNEL32.dll' "$exe" | cut -d: -f1)
  [ "$(wc -w <<<"$offsets")" = 1 ] || { fail "$1: KERNEL32.dll is not named once in the program"; return; }
  printf 'DVKSTB32.dll' | dd of="$exe" bs=1 seek="$offsets" conv=notrunc status=none
  cp "$kernelstub_dll" "$work/$1/"
}
# stubbed <kit> <VAR=value...> -- <args>: runs it with the stand-in's
# settings; the calls it saw go to $work/<kit>.calls.
stubbed() {
  local kitname=$1
  shift
  local settings=()
  while [ "$1" != -- ]; do settings+=("$1"); shift; done
  shift
  rm -f "$work/$kitname.log" "$work/$kitname.calls" "$work/status"
  (
    for setting in "${settings[@]}"; do export "${setting?}"; done
    export DVKSTB_LOG="$wwork\\$kitname.calls"
    dravik "$kitname" "$@"
    echo "$status" >"$work/status"
  )
  status=$(cat "$work/status" 2>/dev/null || echo none)
}
calls() { tr -d '\r' <"$work/$1.calls" 2>/dev/null | tr '\n' ';'; }
started() { if [ -n "$(setup_log "$1")" ]; then echo yes; else echo no; fi; }

stub_kit s
stubbed s -- -s
expect_eq "stand-in untouched: exit status" 0 "$status"
expect_eq "stand-in untouched: setup started" yes "$(started s)"
expect_eq "stand-in untouched: the calls" \
  "GetVersionExA 156;OpenProcessToken;GetTokenInformation 0" "$(calls s | cut -d';' -f1-3)"

# Memory: the total with its low 20 bits cleared must reach 31 MiB. A warning
# cannot be shown here (no display): that counts as No.
stubbed s DVKSTB_MEMORY=32505855 --
expect_eq "31 MiB less one byte: warned, no consent" -3 "$status"
expect_eq "31 MiB less one byte: setup not started" no "$(started s)"
stubbed s DVKSTB_MEMORY=32505856 --
expect_eq "31 MiB: exit status" 0 "$status"
expect_eq "31 MiB: setup started" yes "$(started s)"
stubbed s DVKSTB_MEMORY=$((33554432 - 1)) --
expect_eq "32 MiB less one byte (31 MiB after the cut): exit status" 0 "$status"
stubbed s DVKSTB_MEMORY=32505855 -- -s
expect_eq "too little memory, silent: setup started" yes "$(started s)"

# The administrator token, on the NT platform (Wine's own version).
stubbed s DVKSTB_ADMIN=no -- -s
expect_eq "no Administrators group in the token: exit status" -3 "$status"
expect_eq "no Administrators group: setup not started" no "$(started s)"
stubbed s DVKSTB_ADMIN=fail -- -s
expect_eq "token not opened: exit status" -3 "$status"
expect_eq "token not opened: setup not started" no "$(started s)"
set_version win98
stubbed s DVKSTB_ADMIN=no -- -s
expect_eq "Windows 98: the token is not asked" "0 0" "$status $(calls s | grep -c Token || true)"
set_version default

# The version record: the basic one when the extended one is refused; the
# check fails when both are.
stubbed s DVKSTB_VERSION=noex -- -s
expect_eq "extended record refused: exit status" 0 "$status"
expect_eq "extended record refused: retried with the basic one" \
  "GetVersionExA 156;GetVersionExA 148;OpenProcessToken" "$(calls s | cut -d';' -f1-3)"
stubbed s DVKSTB_VERSION=none -- -s
expect_eq "no version record: exit status" -3 "$status"
expect_eq "no version record: setup not started" no "$(started s)"

# The own path: when it cannot be had, or only cut (a full buffer), setup is
# not started and the wrapper ends with 0.
stubbed s DVKSTB_OWNPATH=fail -- -s
expect_eq "own path fails: exit status" 0 "$status"
expect_eq "own path fails: setup not started" no "$(started s)"
stubbed s DVKSTB_OWNPATH=cut -- -s
expect_eq "own path cut: exit status" 0 "$status"
expect_eq "own path cut: setup not started" no "$(started s)"
expect_eq "own path asked with a buffer of 1024" 1 "$(calls s | tr ';' '\n' | grep -c '^GetModuleFileNameA 1024$')"

finish
