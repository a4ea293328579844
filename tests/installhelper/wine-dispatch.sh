#!/usr/bin/env bash
# helper.exe's dispatch under Wine: exit statuses with all 32 bits and the
# debug texts on standard error.
source "$(dirname "$0")/wine-common.sh"

check "no argument exits -1" -1 "$(helper_exit)"
check "fn abc exits -1" -1 "$(helper_exit abc)"
check "fn 0 exits -1" -1 "$(helper_exit 0)"
check "fn 9 exits -1" -1 "$(helper_exit 9)"
check "fn 7 exits 1 with nothing registered" 1 "$(helper_exit 7)"
check "fn 1 without its INI exits -1" -1 "$(helper_exit 1)"
check "fn 6 with two of three arguments exits -1" -1 "$(helper_exit 6 'C:\jre' 1.3)"

# Debug texts: only with ORLIN_INSTALLER_DEBUG defined, empty or not, any case.
run_err() { "$KIV_WINE_RUN" "$build/installhelper/helper.exe" "$@" 2>"$work/stderr" >/dev/null || true; }
run_err
check_file "no debug switch, no debug text" "$work/stderr" ""
ORLIN_INSTALLER_DEBUG= run_err
check_file "empty switch: argc text" "$work/stderr" "argc too small, exiting${crlf}"
ORLIN_INSTALLER_DEBUG=1 run_err abc
check_file "fn abc text" "$work/stderr" "fn too small, exiting${crlf}"
env orlin_installer_debug=yes "$KIV_WINE_RUN" "$build/installhelper/helper.exe" 0 2>"$work/stderr" >/dev/null || true
check_file "switch name in lower case" "$work/stderr" "fn too small, exiting${crlf}"
ORLIN_INSTALLER_DEBUG=1 run_err 9
check_file "fn 9 is silent" "$work/stderr" ""

# Every function is silent on standard error without the switch, also where
# it has debug texts to say with it (those runs say something with it on).
mkdir -p "$work/w"
printf 'szDir=<JREPATH>\r\n' > "$work/w/jre.iss"
cp "$doubles/fakejre.exe" "$work/w/jre.exe"
printf '[foo]\r\ninstallJRE=1\r\njrePath=C:\\jre\r\ntempDir=%s\r\ntargetDir=%s\r\n' \
  "$(printf 't%.0s' {1..255})" "" > "$work/i.ini"
wini=$(winpath "$work/i.ini")
runs=("1" "1 $wini" "2 $wini" "3" "4 $wini" "5" "6 C:\\jre 9.9 $wwork\\w" "6 C:\\jre 9.9" "7" "8 9.9" "8")
says=(yes no yes no yes no yes yes no no yes)
for i in "${!runs[@]}"; do
  read -r -a args <<<"${runs[$i]}"
  (unset ORLIN_INSTALLER_DEBUG; run_err "${args[@]}")
  check_file "without the switch, fn ${runs[$i]} writes nothing to standard error" "$work/stderr" ""
  ORLIN_INSTALLER_DEBUG= run_err "${args[@]}"
  check "with the switch, fn ${runs[$i]}: debug text" "${says[$i]}" "$([ -s "$work/stderr" ] && echo yes || echo no)"
done
finish
