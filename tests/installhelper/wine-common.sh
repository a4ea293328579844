# Shared by the helper's Wine tests (sourced). Gives:
#   $work / $wwork    a fresh Unix directory and its Windows path (removed at exit)
#   winpath <unix>    the Windows path (Z:\...) of a Unix path
#   helper_exit ...   runs helper.exe with the arguments through exitcode.exe
#                     and prints its full exit code in decimal
#   wreg ...          the prefix's reg.exe, quiet; unreg <key> deletes a key if there
#   check <name> <expected> <actual>, check_file <name> <file> <expected bytes>
#   esc <text>        the text with every backslash doubled (as orlin.cfg has it)
#   $crlf             a Windows line end
#   finish            exit status of the test
# Registry keys a test creates are removed by its cleanup function, which
# runs at exit; define cleanup_more for more.
set -euo pipefail

: "${KIV_WINE_RUN:?}" "${KIV_WINDOWS_BUILD_DIR:?}"
build=$KIV_WINDOWS_BUILD_DIR
doubles=$build/tests/windows/installhelper

winpath() { printf 'Z:%s' "${1//\//\\}"; }

helper_win=$(winpath "$build/installhelper/helper.exe")
work=$(mktemp -d "${TMPDIR:-/tmp}/helper-wine.XXXXXX")
wwork=$(winpath "$work")
failures=0

# A reg.exe run now and then fails while the wineserver of the previous
# program shuts down: registry seeding and clean-up try again and say so
# when they give up, so that a test never runs on a registry it did not set.
wreg() {
  local attempt
  for attempt in 1 2 3; do
    "$KIV_WINE_RUN" reg "$@" >/dev/null 2>&1 && return 0
    sleep 1
  done
  echo "reg $* failed" >&2
  return 1
}
# Deletes a registry key with everything below it, if it is there.
unreg() {
  local attempt
  for attempt in 1 2 3; do
    "$KIV_WINE_RUN" reg delete "$1" /f >/dev/null 2>&1 || true
    "$KIV_WINE_RUN" reg query "$1" >/dev/null 2>&1 || return 0
    sleep 1
  done
  echo "cannot delete $1" >&2
  return 1
}

cleanup() {
  if declare -F cleanup_more >/dev/null; then cleanup_more || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Full exit code of helper.exe <args...>; its standard output goes to $work/stdout.
helper_exit() {
  local out
  out=$("$KIV_WINE_RUN" "$build/tests/windows/exitcode.exe" "$helper_win" "$@" | tr -d '\r')
  printf '%s\n' "$out" | grep -v '^exit=' > "$work/stdout" || true
  printf '%s\n' "$out" | sed -n 's/^exit=\(-\{0,1\}[0-9]*\) .*/\1/p'
}

check() {  # <what> <expected> <actual>
  if [ "$2" = "$3" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1: expected [$2], got [$3]"
    failures=$((failures + 1))
  fi
}

crlf=$'\r\n'
esc() { printf '%s' "${1//\\/\\\\}"; }

check_file() {  # <what> <file> <expected content, byte for byte>
  printf '%s' "$3" > "$work/expected"
  if [ -f "$2" ] && cmp -s "$work/expected" "$2"; then
    echo "ok   $1"
  else
    echo "FAIL $1 (expected, then actual; ^M is CR, \$ a line end):"
    cat -A "$work/expected"; echo
    if [ -f "$2" ]; then cat -A "$2"; echo; else echo "(no file)"; fi
    failures=$((failures + 1))
  fi
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}
