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
finish
