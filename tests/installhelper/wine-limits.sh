#!/usr/bin/env bash
# The path and value limits under Wine, on both sides of each bound: a
# tempDir of 249 and 250 characters (a template path of 257 and 258), a
# targetDir of 249 and 250 (orlin.cfg at 259 and 260), a work directory of
# 249 to 252, a runtime directory and an INI value of 259 and 260.
source "$(dirname "$0")/wine-common.sh"

cleanup_more() { unreg 'HKCU\Software\Netscape'; }
cleanup_more
wreg add 'HKCU\Software\Netscape\Netscape Navigator' /f

# dir_of <n>: makes a directory whose Windows path has n characters; sets
# $d (Unix) and $wd (Windows).
dir_of() {
  local name
  name=$(printf 'd%.0s' $(seq $(($1 - ${#wwork} - 1))))
  d="$work/$name"
  wd="$wwork\\$name"
  mkdir -p "$d"
  [ "${#wd}" = "$1" ] || echo "dir_of: made ${#wd} characters, not $1" >&2
}
exists() { if [ -e "$1" ]; then echo yes; else echo no; fi; }
ini="$work/i.ini"
wini=$(winpath "$ini")
jre='C:\jre'

# Function 2: the template path and "2" must stay below 260.
for n in 249 250; do
  dir_of $n
  printf 'szDir=<JREPATH>\r\n' > "$d/jre.iss"
  printf '[foo]\r\ninstallJRE=1\r\njrePath=%s\r\ntempDir=%s\r\n' "$jre" "$wd" > "$ini"
  printf -v "fn2_$n" '%s %s' "$(helper_exit 2 "$wini")" "$(exists "$d/jre.iss2")"
done
check "tempDir of 249 (template path of 257): written" "0 yes" "$fn2_249"
check "tempDir of 250 (template path of 258): refused, nothing written" "1 no" "$fn2_250"

# Function 4: targetDir and \orlin.cfg must fit 259 characters.
for n in 249 250; do
  dir_of $n
  printf '[foo]\r\njreVersion=1.3.1\r\njrePath=%s\r\ntargetDir=%s\r\n' "$jre" "$wd" > "$ini"
  printf -v "fn4_$n" '%s %s' "$(helper_exit 4 "$wini")" "$(exists "$d/orlin.cfg")"
  viewer=$("$KIV_WINE_RUN" reg query 'HKCU\Software\Netscape\Netscape Navigator\Viewers' /v application/x-java-jnlp-file 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p' || true)
  printf -v "viewer_$n" '%s' "$viewer"
  unreg 'HKCU\Software\Netscape\Netscape Navigator\Viewers'
done
check "targetDir of 249 (orlin.cfg at 259): written" "0 yes" "$fn4_249"
check "targetDir of 249: the viewer names orlin.exe there" "\"$(dir_of 249; echo "$wd")\\orlin.exe\"" "$viewer_249"
check "targetDir of 250 (orlin.cfg at 260): refused, nothing written" "1 no" "$fn4_250"
check "targetDir of 250: no viewer registered" "" "$viewer_250"

# INI values: 259 characters are read whole, longer ones cut to 259.
dir_of 100
printf 'x=<JREPATH>' > "$d/jre.iss"
v259=$(printf 'v%.0s' $(seq 259))
for value in "$v259" "${v259}w"; do
  printf '[foo]\r\ninstallJRE=1\r\njrePath=%s\r\ntempDir=%s\r\n' "$value" "$wd" > "$ini"
  helper_exit 2 "$wini" >/dev/null
  check "a jrePath of ${#value} characters gives 259" "x=$v259" "$(cat "$d/jre.iss2")"
done

# Function 6: a runtime directory of 259 characters is taken, 260 refused.
dir_of 100
cp "$doubles/fakejre.exe" "$d/jre.exe"
for value in "$v259" "${v259}w"; do
  rm -f "$d/jre.log"
  printf 'szDir=<JREPATH>' > "$d/jre.iss"
  check "runtime directory of ${#value}: result" "$([ ${#value} = 259 ] && echo 1 || echo 0)" \
    "$(FAKE_JRE_EXIT=0 helper_exit 6 "$value" 9.9 "$wd")"
  check "runtime directory of ${#value}: jre.exe started" "$([ ${#value} = 259 ] && echo yes || echo no)" \
    "$(exists "$d/jre.log")"
done

# Function 6, the work directory: its jre.iss (and "2") up to 249, foo.ini
# (\foo.ini, 8 more characters) up to 251.
for n in 249 250 251 252; do
  dir_of $n
  printf 'szDir=<JREPATH>' > "$d/jre.iss"
  cp "$doubles/fakejre.exe" "$d/jre.exe"
  printf -v "fn6_$n" '%s %s %s' "$(FAKE_JRE_EXIT=0 helper_exit 6 "$jre" 9.9 "$wd")" "$(exists "$d/jre.log")" \
    "$(exists "$d/foo.ini")"
done
check "work directory of 249: installed, foo.ini written" "1 yes yes" "$fn6_249"
check "work directory of 250: jre.iss2 would reach 259, not installed; foo.ini written" "0 no yes" "$fn6_250"
check "work directory of 251: foo.ini at 259 written" "0 no yes" "$fn6_251"
check "work directory of 252: foo.ini at 260 not written" "0 no no" "$fn6_252"
finish
