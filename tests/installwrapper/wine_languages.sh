#!/usr/bin/env bash
# What LoadStringA returns for Dravik's strings under each of the 18 user
# languages (chosen through LC_ALL): the table of that language, converted
# to that language's ANSI code page. A regional variant without a table of
# its own (Austrian German, Mexican Spanish, European Portuguese) gets its
# language's table. That the table is that language's own is checked against
# the caption and the question the test's list expects of the language.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_common.sh"
unset DISPLAY WAYLAND_DISPLAY

kit lang nosetup
languages=$("$DRAVIK_STRINGS" "$dravik_exe" list)
expect_eq "string tables in the program" 18 "$(wc -l <<<"$languages")"
languages+=$'\n0007 de_AT.UTF-8 CP1252\n000a es_MX.UTF-8 CP1252\n0016 pt_PT.UTF-8 CP1252'
while read -r id locale codepage; do
  rm -f "$work/got.txt"
  LC_ALL=$locale wine "$loadstrings_exe" "$wwork\\lang\\Dravik.exe" "$wwork\\got.txt" >/dev/null 2>&1 || true
  if [ ! -s "$work/got.txt" ]; then
    fail "$locale: loadstrings wrote nothing"
    continue
  fi
  "$DRAVIK_STRINGS" "$dravik_exe" "$id" table >"$work/want.txt"
  if ! iconv -f "$codepage" -t UTF-8 "$work/got.txt" >"$work/got-utf8.txt"; then
    fail "$locale: LoadStringA did not return $codepage text"
  elif cmp -s "$work/want.txt" "$work/got-utf8.txt"; then
    pass "$locale: table $id in $codepage"
  else
    fail "$locale: LoadStringA differs from table $id"
    diff "$work/want.txt" "$work/got-utf8.txt" | head -6 >&2 || true
  fi
  "$DRAVIK_STRINGS" expected "$id" >"$work/known.txt"
  if [ -s "$work/known.txt" ] && grep -qxF -f "$work/known.txt" "$work/got-utf8.txt" &&
     [ "$(grep -cxF -f "$work/known.txt" "$work/got-utf8.txt")" = 2 ]; then
    pass "$locale: the table is in its language"
  else
    fail "$locale: the table is not the one of its language"
  fi
done <<<"$languages"

finish
