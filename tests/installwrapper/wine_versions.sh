#!/usr/bin/env bash
# Dravik.exe under the Windows versions Wine can report to it (set for the
# program in Wine's registry), without a display: the versions that pass the
# operating-system check start setup at once; Windows 95 gets the warning,
# which cannot be shown here, so nothing is started and the status is -3
# (the warning's text is checked in wine_boxes.sh).
# Wine's fixed service packs: nt40 "Service Pack 6a", win2k "Service Pack 4",
# winxp "Service Pack 3"; the rules for older packs are unit-tested.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_common.sh"
unset DISPLAY WAYLAND_DISPLAY

check() {  # <version> <expected status> <setup expected to run: yes|no>
  kit "$1"
  set_version "$1"
  dravik "$1" /v
  expect_eq "$1: exit status" "$2" "$status"
  local ran=no
  if [ -n "$(setup_log "$1")" ]; then ran=yes; fi
  expect_eq "$1: setup started" "$3" "$ran"
}

check win95 -3 no
check win98 0 yes
check winme 0 yes
check nt40 0 yes
check win2k 0 yes
check winxp 0 yes
check default 0 yes

# Windows 95 with the silent switch: the warning is skipped, setup runs.
kit win95s
set_version win95
dravik win95s -s
expect_eq "win95 silent: exit status" 0 "$status"
expect_eq "win95 silent: setup started" "cmdline=$wwork\\win95s\\Dravik.exe -s" "$(setup_log win95s | head -1)"
set_version default

finish
