# Shared set-up of Dravik's Wine tests (sourced by the wine_*.sh scripts).
# Each test works in its own directory under C: of the test prefix and puts
# back what it changed in the registry when it ends.
set -euo pipefail
: "${KIV_WINE_RUN:?}" "${KIV_WINE_PREFIX:?}" "${KIV_WINDOWS_BUILD_DIR:?}" "${DRAVIK_STRINGS:?}"
export WINEPREFIX=$KIV_WINE_PREFIX WINEDEBUG=-all

dravik_exe=$KIV_WINDOWS_BUILD_DIR/installwrapper/Dravik.exe
fake_setup=$KIV_WINDOWS_BUILD_DIR/tests/windows/installwrapper/setup.exe
exitcode_exe=$KIV_WINDOWS_BUILD_DIR/tests/windows/exitcode.exe
boxdriver_exe=$KIV_WINDOWS_BUILD_DIR/tests/windows/installwrapper/dravik_boxdriver.exe
loadstrings_exe=$KIV_WINDOWS_BUILD_DIR/tests/windows/installwrapper/dravik_loadstrings.exe
inheritor_exe=$KIV_WINDOWS_BUILD_DIR/tests/windows/installwrapper/dravik_inheritor.exe
kernelstub_dll=$KIV_WINDOWS_BUILD_DIR/tests/windows/installwrapper/DVKSTB32.dll

appdefaults='HKCU\Software\Wine\AppDefaults\Dravik.exe'
cpu_key='HKLM\HARDWARE\DESCRIPTION\System\CentralProcessor\0'

wine() { "$KIV_WINE_RUN" "$@"; }

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
expect_eq() {  # <what> <expected> <actual>
  if [ "$2" = "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}

# The work directory: Unix path $work, Windows path $wwork (C:\dravik.XXXXXX;
# the name holds neither "-s" nor "/s").
work=$(mktemp -d "$KIV_WINE_PREFIX/drive_c/dravik.XXXXXX")
wwork="C:\\${work##*/}"
original_cpu=""
cleanup() {
  rm -rf "$work"
  wine reg delete "$appdefaults" /f >/dev/null 2>&1 || true
  if [ -n "$original_cpu" ]; then
    wine reg add "$cpu_key" /v Identifier /d "$original_cpu" /f >/dev/null 2>&1 || true
  fi
}
trap cleanup EXIT

# kit <name> [nosetup]: a directory $work/<name> with Dravik.exe and, unless
# told otherwise, the stand-in setup.exe.
kit() {
  mkdir -p "$work/$1"
  cp "$dravik_exe" "$work/$1/Dravik.exe"
  if [ "${2:-}" != nosetup ]; then cp "$fake_setup" "$work/$1/setup.exe"; fi
}

# Windows version Wine reports to Dravik.exe: win95, win98, winme, nt40,
# win2k, winxp, or "default" (Wine's own).
set_version() {
  if [ "$1" = default ]; then
    wine reg delete "$appdefaults" /f >/dev/null 2>&1 || true
  else
    wine reg add "$appdefaults" /v Version /d "$1" /f >/dev/null
  fi
}

# Processor identifier in the (volatile) hardware key; put back at the end.
set_cpu() {
  if [ -z "$original_cpu" ]; then
    original_cpu=$(wine reg query "$cpu_key" /v Identifier | tr -d '\r' |
                   sed -n 's/^ *Identifier *REG_SZ *//p')
  fi
  wine reg add "$cpu_key" /v Identifier /d "$1" /f >/dev/null
}

# dravik <kit> <args...>: runs <kit>\Dravik.exe <args> from $work and sets
# $status to its full exit code. The stand-in setup appends what it saw to
# $work/<kit>.log; FAKESETUP_EXIT and FAKESETUP_WAIT pass through. It runs
# under exitcode.exe, or the driver named by DRAVIK_DRIVER (same output).
# It returns as soon as Dravik has ended, not when setup has: the output goes
# to a file, not through a pipe that setup (which Wine gives the Unix
# descriptors of its parent) would hold open. So what setup has recorded when
# this returns is what it had done before Dravik ended.
dravik() {
  local kitname=$1
  shift
  local out
  (cd "$work" && FAKESETUP_LOG="$wwork\\$kitname.log" wine "${DRAVIK_DRIVER:-$exitcode_exe}" "$wwork\\$kitname\\Dravik.exe" "$@" \
     >"$work/$kitname.exit" 2>&1 </dev/null) || true
  out=$(tr -d '\r' <"$work/$kitname.exit")
  status=$(sed -n 's/^exit=\(-\{0,1\}[0-9]*\) .*/\1/p' <<<"$out")
  [ -n "$status" ] || fail "no exit status from: $out"
}

# setup_log <kit>: what the stand-in setup of <kit> recorded (empty: it did
# not run).
setup_log() { if [ -f "$work/$1.log" ]; then tr -d '\r' <"$work/$1.log"; fi; }
