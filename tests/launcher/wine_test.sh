#!/usr/bin/env bash
# kivjava.exe under Wine with the stand-in jvm.dll (or only javai.dll) found
# through the PATH or below JAVA_HOME: exit codes (all 32 bits), the settings
# the runtime receives, the trace file in a created directory chain, the
# places below JAVA_HOME and their order, and the explanation when no runtime
# loads or only one of the other architecture is found.
set -euo pipefail
build=${KIV_WINDOWS_BUILD_DIR:?}
exe=$build/launcher/kivjava.exe
driver=$build/tests/windows/exitcode.exe
fake=$build/tests/windows/launcher/fakejvm
fakejavai=$build/tests/windows/launcher/fakejavai
source "$(dirname "${BASH_SOURCE[0]}")/wine_common.sh"
# Output with Windows line ends removed; the exit status is not looked at
# here (the exitcode driver shows it whole).
run() { "$KIV_WINE_RUN" "$@" 2>&1 | tr -d '\r' || true; }

printf 'any=thing\n' > p.props
unset JAVA_HOME KIVCLASSPATH1 KIVPLUGINCLASSPATH1 CLASSPATH || true

# The runtime's result is the exit code, all 32 bits of it.
out=$(WINEPATH=$(winpath "$fake") FAKEJVM_RESULT=-2 run "$driver" "$(winpath "$exe")" p.props)
check "negative exit code from kiv_main" "exit=-2 (0xfffffffe)" "$out"
check "kiv_main was called" "fakejvm: kiv_main called" "$out"
check "no class path warning" "Warning: No classpath set." "$out"

# Settings as the runtime receives them, with Windows separators.
out=$(WINEPATH=$(winpath "$fake") FAKEJVM_RECORD=record.txt JAVA_HOME='C:\jdk\' \
      KIVCLASSPATH1='a.jar;' KIVPLUGINCLASSPATH1='p.jar' FAKEJVM_RESULT=3 \
      run "$exe" -t p.props 'tr\a\b' -nojit || true)
check "JAVA_HOME loses its trailing backslash" "Specified JAVA_HOME is 'C:\\jdk'" "$out"
check "load message" "Loaded library 'jvm.dll' in 'C:\\jdk\\jre\\bin\\classic;'." "$out"
record=$(tr -d '\r' < record.txt)
check "class path" 'option=-Djava.class.path=a.jar;C:\jdk\jre\lib\rt.jar;C:\jdk;C:\jdk;p.jar' "$record"
check "java.home" 'option=-Djava.home=C:\jdk' "$record"
check "trace file property" 'option=-DKivJava.tracefile=tr\a\b\TRC.KIVUTILS.' "$record"
check "-nojit" $'option=-Djava.compiler=NONE\noption=-Xint' "$record"
trace=$(ls tr/a/b/TRC.KIVUTILS.*GMT.TXT 2>/dev/null || true)
check "trace file in the created directory chain" "TRC.KIVUTILS." "$trace"
if [ -n "$trace" ]; then
  text=$(tr -d '\r' < "$trace")
  check "trace header" "Version: " "$text"
  check "trace lines" "   Return code '3' from kiv_main" "$text"
  check "trace footer" "Trace ended at " "$text"
fi
out=$(WINEPATH=$(winpath "$fake") FAKEJVM_RESULT=3 run "$driver" "$(winpath "$exe")" p.props)
check "exit code 3" "exit=3 (0x00000003)" "$out"

# Two trailing backslashes: only one goes. A trace directory that ends in a
# backslash gets no second one. CLASSPATH is joined to the extensions with ';'.
rm -f record.txt
out=$(WINEPATH=$(winpath "$fake") FAKEJVM_RECORD=record.txt JAVA_HOME='C:\jdk\\' \
      CLASSPATH='x.jar' KIVPLUGINCLASSPATH1='p.jar' run "$exe" -t p.props 'tr\c\' || true)
check "JAVA_HOME loses one of two trailing backslashes" "Specified JAVA_HOME is 'C:\\jdk\\'"$'\n' "$out"
record=$(tr -d '\r' < record.txt)
check "java.home keeps the second backslash" 'option=-Djava.home=C:\jdk\'$'\n' "$record"
check "CLASSPATH and the extensions joined with ';'" 'option=-Djava.class.path=x.jar;p.jar'$'\n' "$record"
check "trace directory ending in a backslash" 'option=-DKivJava.tracefile=tr\c\TRC.KIVUTILS.' "$record"
trace=$(ls tr/c/TRC.KIVUTILS.*GMT.TXT 2>/dev/null || true)
check "trace file in that directory" "TRC.KIVUTILS." "$trace"

# Only javai.dll on the PATH: the JDK 1.1 level with its own record.
rm -f record.txt
out=$(WINEPATH=$(winpath "$fakejavai") FAKEJVM_RECORD=record.txt JAVA_HOME='C:\jdk' \
      KIVCLASSPATH1='a.jar;' FAKEJVM_RESULT=5 run "$driver" "$(winpath "$exe")" -t p.props -mx64M -nojit)
check "javai.dll loaded" "Loaded library 'javai.dll' in 'C:\\jdk\\bin;'." "$out"
check "javai.dll: exit code" "exit=5 (0x00000005)" "$out"
record=$(tr -d '\r' < record.txt)
check "javai.dll: JDK 1.1 record" $'GetDefaultJavaVMInitArgs version=00010001\nversion=00010001\n' "$record"
check "javai.dll: java.home property" 'property=java.home=C:\jdk'$'\n' "$record"
check "javai.dll: class path with classes.zip" 'classpath=a.jar;C:\jdk\lib\classes.zip;'$'\n' "$record"
check "javai.dll: maximum heap size" $'maxHeapSize=67108864\n' "$record"
check "javai.dll: -nojit's property" $'property=java.compiler=\n' "$record"
absent "javai.dll: asked for no later JNI version" "version=0015" "$record"

# No runtime library anywhere: the explanation with Windows' error number.
out=$(run "$driver" "$(winpath "$exe")" p.props)
check "explanation" "Attempting to load the Java 1.4 library (jvm.dll) returned errno=126 (0x007e)." "$out"
check "explanation 1.1" "Attempting to load the Java 1.1 library (javai.dll) returned errno=126 (0x007e)." "$out"
check "fatal message" $'Error: Unable to load Java runtime library.\nTerminating...' "$out"
check "exit 16" "exit=16 (0x00000010)" "$out"

# A jvm.dll of the other architecture (a 64-bit one for the 32-bit launcher,
# or the reverse): Windows' "bad format" error 193 in the explanation and
# the fatal error's exit code, never a crash.
other=${KIV_OTHER_BUILD_DIR:-}
if [ -n "$other" ]; then
  out=$(WINEPATH=$(winpath "$other/tests/windows/launcher/fakejvm") FAKEJVM_RESULT=0 \
        run "$driver" "$(winpath "$exe")" p.props)
  check "other architecture: cannot be loaded" $'Error:\nJava Runtime library cannot be loaded.' "$out"
  check "other architecture: error 193" "Attempting to load the Java 1.4 library (jvm.dll) returned errno=193 (0x00c1)." "$out"
  absent "other architecture: kiv_main not reached" "fakejvm:" "$out"
  check "other architecture: exit 16" $'Terminating...\nexit=16 (0x00000010)' "$out"
fi

# JAVA_HOME not on the PATH: the runtime's own places below it, in the order
# bin\server, bin\client, jre\bin\server, jre\bin\client. All four hold a
# stand-in at first; each run takes the one that loaded away, so every place
# is seen to load, and to be tried before the places after it.
fake2=$build/tests/windows/launcher/fakejvm2
places=(bin/server bin/client jre/bin/server jre/bin/client)
jdk=$work/jdk
for d in "${places[@]}"; do mkdir -p "$jdk/$d"; cp "$fake2/jvm.dll" "$jdk/$d/"; done
n=0
for d in "${places[@]}"; do
  n=$((n + 1))
  out=$(JAVA_HOME=$(winpath "$jdk") FAKEJVM_RESULT=$((20 + n)) \
        run "$driver" "$(winpath "$exe")" -t p.props "home$n")
  check "JAVA_HOME $d: the load message names the file" \
        "Loaded library '$(winpath "$jdk/$d/jvm.dll")' (found in JAVA_HOME)." "$out"
  check "JAVA_HOME $d: kiv_main runs" "fakejvm2: kiv_main called" "$out"
  check "JAVA_HOME $d: its exit code" "$(printf 'exit=%d (0x%08x)' $((20 + n)) $((20 + n)))" "$out"
  rm "$jdk/$d/jvm.dll"
done
# The trace of the second run: the places tried, then the one that loaded.
# The console shows none of the places tried.
text=$(cat home2/TRC.KIVUTILS.*GMT.TXT 2>/dev/null | tr -d '\r' || true)
check "JAVA_HOME: the bare name tried, in the trace" "Loading library 'jvm.dll' returned errno=126 (0x007e)." "$text"
check "JAVA_HOME: bin\\server tried, in the trace" \
      "Loading library '$(winpath "$jdk/bin/server/jvm.dll")' returned errno=126 (0x007e)." "$text"
check "JAVA_HOME: how it was found, in the trace" \
      "Loaded library '$(winpath "$jdk/bin/client/jvm.dll")' (found in JAVA_HOME)." "$text"
absent "JAVA_HOME: the places tried not on the console" "Loading library" "$out"

# The bare name, found through the PATH, wins over JAVA_HOME, with the load
# message it always had.
cp "$fake2/jvm.dll" "$jdk/bin/server/"
out=$(WINEPATH=$(winpath "$fake") JAVA_HOME=$(winpath "$jdk") run "$exe" -t p.props || true)
check "PATH wins over JAVA_HOME" "fakejvm: kiv_main called" "$out"
absent "PATH wins: the stand-in below JAVA_HOME not run" "fakejvm2" "$out"
check "PATH wins: the load message" "Loaded library 'jvm.dll' in '$(winpath "$jdk")\\jre\\bin\\classic;'." "$out"

# A jvm.dll of the other architecture below JAVA_HOME (in the last place
# tried) fails cleanly: the explanation keeps the bare name's error number,
# the trace has 193.
if [ -n "$other" ]; then
  mkdir -p other/jre/bin/client
  cp "$other/tests/windows/launcher/fakejvm/jvm.dll" other/jre/bin/client/
  out=$(JAVA_HOME=$(winpath "$work/other") run "$driver" "$(winpath "$exe")" -t p.props otherhome)
  check "other architecture below JAVA_HOME: the bare name's error number" \
        "Attempting to load the Java 1.4 library (jvm.dll) returned errno=126 (0x007e)." "$out"
  absent "other architecture below JAVA_HOME: kiv_main not reached" "fakejvm" "$out"
  check "other architecture below JAVA_HOME: exit 16" \
        $'Error: Unable to load Java runtime library.\nTerminating...\nFinishing trace...\nexit=16 (0x00000010)' "$out"
  text=$(cat otherhome/TRC.KIVUTILS.*GMT.TXT 2>/dev/null | tr -d '\r' || true)
  check "other architecture below JAVA_HOME: error 193 in the trace" \
        "Loading library '$(winpath "$work/other/jre/bin/client/jvm.dll")' returned errno=193 (0x00c1)." "$text"
  # jvm.dll by its name and in the four places, javai.dll by its name only.
  check "other architecture below JAVA_HOME: six places tried" "tried=6." \
        "tried=$(grep -c "Loading library '.*' returned errno=" <<<"$text" || true)."
fi

# The usage text with the program name as typed.
out=$(run "$exe" -help || true)
check "usage" "[options] property_file [trace_file_path]" "$out"

summary
