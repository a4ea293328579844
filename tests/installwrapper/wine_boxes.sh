#!/usr/bin/env bash
# Dravik.exe's message boxes under a display (xvfb-run): the warning (Windows
# 95) and the error (an ia64 processor) are found, their caption, text, icon,
# buttons and default button compared with the string tables in English,
# German and Japanese, and answered.
here=$(cd "$(dirname "$0")" && pwd)
# Waits (at most 120 s) for the prefix's wineserver to end; ends it otherwise.
settle() {
  timeout 120 wineserver -w ||
    { echo "wine_boxes.sh: the wineserver still ran after 120 s: ended" >&2; wineserver -k || true; }
}
if [ -z "${DRAVIK_UNDER_XVFB:-}" ]; then
  # Headless and display runs must not share a wineserver.
  export WINEPREFIX=${KIV_WINE_PREFIX:?}
  settle
  rc=0
  DRAVIK_UNDER_XVFB=1 timeout -k 10 500 xvfb-run -a "$0" "$@" || rc=$?
  settle
  exit $rc
fi
source "$here/wine_common.sh"

# box <kit> <locale> <lang-id> <answer> <expected info> <message ids...>:
# runs the kit's Dravik.exe, answers its box and compares what it showed.
box() {
  local kitname=$1 locale=$2 lang=$3 answer=$4 info=$5
  shift 5
  kit "$kitname"
  local result=$work/$kitname.exit
  (LC_ALL=$locale dravik "$kitname" && echo "$status" >"$result") &
  local runner=$!
  LC_ALL=$locale wine "$boxdriver_exe" "$answer" "$wwork\\$kitname.box" >/dev/null 2>&1 || fail "$kitname: no box found"
  # Dravik ends once its box is answered; one left open ends the prefix's
  # programs after 60 s.
  local waited=0
  while kill -0 "$runner" 2>/dev/null && [ $waited -lt 600 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if kill -0 "$runner" 2>/dev/null; then
    fail "$kitname: Dravik still ran 60 s after its box"
    wineserver -k || true
  fi
  wait "$runner" || true
  status=$(cat "$result" 2>/dev/null || echo none)
  "$DRAVIK_STRINGS" "$dravik_exe" "$lang" message 2004 >"$work/want.caption"
  "$DRAVIK_STRINGS" "$dravik_exe" "$lang" message "$@" >"$work/want.text"
  if cmp -s "$work/want.caption" "$work/$kitname.box.caption"; then pass "$kitname: caption"; else fail "$kitname: caption"; fi
  if cmp -s "$work/want.text" "$work/$kitname.box.text"; then
    pass "$kitname: text"
  else
    fail "$kitname: text"
    diff "$work/want.text" "$work/$kitname.box.text" >&2 || true
  fi
  expect_eq "$kitname: buttons, default and icon" "$info" "$(tr -d '\r' <"$work/$kitname.box.info" 2>/dev/null)"
}

warning_info="buttons=yes,no
default=no
icon=warning"
error_info="buttons=ok
default=ok
icon=error"

set_version win95
box warn-en en_US.UTF-8 0409 no "$warning_info" 2019 2017 2021
expect_eq "warning answered No: exit status" -3 "$status"
expect_eq "warning answered No: setup not started" "" "$(setup_log warn-en)"

box warn-de de_DE.UTF-8 0007 no "$warning_info" 2019 2017 2021
expect_eq "German warning answered No: exit status" -3 "$status"

box warn-ja ja_JP.UTF-8 0011 yes "$warning_info" 2019 2017 2021
expect_eq "Japanese warning answered Yes: exit status" 0 "$status"
expect_eq "Japanese warning answered Yes: setup started" "cmdline=$wwork\\warn-ja\\Dravik.exe" \
  "$(setup_log warn-ja | head -1)"
set_version default

set_cpu ia64
box error-en en_US.UTF-8 0409 ok "$error_info" 2020 2015 2022
expect_eq "error box: exit status" -3 "$status"
expect_eq "error box: setup not started" "" "$(setup_log error-en)"
set_cpu ia64
box error-de de_DE.UTF-8 0007 ok "$error_info" 2020 2015 2022
expect_eq "German error box: exit status" -3 "$status"
set_cpu "$original_cpu"

finish
