#!/usr/bin/env bash
# Dravik.exe under Wine without a display: the launch of setup.exe, the exit
# statuses and the silent switch.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_common.sh"
unset DISPLAY WAYLAND_DISPLAY

# All checks pass (Wine's default version, an x86 processor, administrator):
# no box, setup starts at once with the whole command line, from the same
# directory, and the wrapper waits for it: setup writes its record only after
# 2.5 s, so the record is there when the wrapper has ended only if the
# wrapper waited. Setup's own code is not passed on.
kit plain
FAKESETUP_EXIT=7 FAKESETUP_WAIT=2500 dravik plain /qn "two words" -x
expect_eq "all checks pass: exit status" 0 "$status"
expect_eq "setup had ended when the wrapper ended, and saw its command line and directory" \
  "cmdline=$wwork\\plain\\Dravik.exe /qn \"two words\" -x
cwd=$wwork" "$(setup_log plain)"

# Silent: exit 0 whatever setup returns.
kit quiet
FAKESETUP_EXIT=42 dravik quiet -s
expect_eq "silent: exit 0 though setup returns 42" 0 "$status"
expect_eq "silent: setup started" "cmdline=$wwork\\quiet\\Dravik.exe -s" "$(setup_log quiet | head -1)"

# A setup that exits with STILL_ACTIVE (259) must not keep the wrapper waiting.
kit still
FAKESETUP_EXIT=259 dravik still /s
expect_eq "setup exiting with 259: wrapper ends with 0" 0 "$status"

# No setup.exe beside the wrapper: one in the current directory is not taken.
kit missing nosetup
cp "$fake_setup" "$work/setup.exe"
dravik missing -s
rm "$work/setup.exe"
expect_eq "setup missing beside the wrapper, present in the current directory: exit status" 1 "$status"
expect_eq "setup of the current directory not started" "" "$(setup_log missing)"

# Setup inherits none of the wrapper's handles. (The probe itself: setup
# started by the inheriting driver directly does inherit.)
kit heirs
DRAVIK_DRIVER=$inheritor_exe dravik heirs -s
expect_eq "setup inherits no handle of the wrapper" "inherited=no" "$(setup_log heirs | grep '^inherited=')"
(cd "$work" && FAKESETUP_LOG="$wwork\\probe.log" wine "$inheritor_exe" "$wwork\\heirs\\setup.exe" >/dev/null 2>&1) || true
expect_eq "the probe tells an inherited handle" "inherited=yes" "$(setup_log probe | grep '^inherited=')"

# A hard failure (an ia64 processor) ends with -3 and starts nothing.
kit hard
set_cpu IA64
dravik hard /s
set_cpu "$original_cpu"
expect_eq "ia64, silent: exit status" -3 "$status"
expect_eq "ia64, silent: setup not started" "" "$(setup_log hard)"

# A missed recommendation (Windows 95): a silent run goes on to setup; "-s"
# in a directory name is enough. Without the switch the question cannot be
# asked here (no display), and that is no consent: -3, nothing started.
set_version win95
kit dist-setups
dravik dist-setups
expect_eq "-s in the directory name: exit status" 0 "$status"
expect_eq "-s in the directory name: setup started" "cmdline=$wwork\\dist-setups\\Dravik.exe" \
  "$(setup_log dist-setups | head -1)"
kit asked
dravik asked
expect_eq "warning not answered: exit status" -3 "$status"
expect_eq "warning not answered: setup not started" "" "$(setup_log asked)"
set_version default

finish
