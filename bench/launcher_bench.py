#!/usr/bin/env python3
"""kivjava against `java -cp` running the same entry class on the same JDK.

Both start a VM, call KivJava.kiv_main, whose application prints one line and
returns. Runs are interleaved (kivjava, java, kivjava, ...) so that both see
the same machine. Reports medians of the wall time to the first line that
kiv_main prints, the total wall time and the peak RSS, and the ratio
kivjava / java for each (goal: <= 1.00).

usage: launcher_bench.py <kivjava> <jar dir> <java home> [rounds]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

MARKER = b"first line from kiv_main"


def run_once(argv, env, cwd):
    start = time.perf_counter()
    proc = subprocess.Popen(argv, env=env, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    first = None
    for line in proc.stdout:
        if first is None and MARKER in line:
            first = time.perf_counter() - start
    _, status, usage = os.wait4(proc.pid, 0)
    total = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0 or first is None:
        raise SystemExit(f"benchmark run failed: {argv} exited {proc.returncode}")
    return first, total, usage.ru_maxrss / 1024.0  # MiB


def main():
    if len(sys.argv) < 4:
        raise SystemExit(__doc__)
    kivjava, jars, java_home = sys.argv[1:4]
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 20
    work = tempfile.mkdtemp(prefix="kiv-bench-")
    with open(os.path.join(work, "bench.properties"), "w") as f:
        f.write("kiv.application=com.zov.kiv.test.FirstLine\n")
    env = {k: v for k, v in os.environ.items() if not k.startswith(("KIV", "CLASSPATH", "ASAN", "UBSAN"))}
    cp = f"{jars}/kivhost.jar:{jars}/kivtestapps.jar"
    kiv_env = dict(env, JAVA_HOME=java_home, KIVCLASSPATH1=cp + ":")
    java_env = dict(env, JAVA_HOME=java_home)
    kiv_argv = [kivjava, "bench.properties"]
    java_argv = [f"{java_home}/bin/java", "-cp", cp, "-DKivJava.propertyfile=bench.properties",
                 "com.zov.kiv.test.JavaEntry"]

    results = {"kivjava": [], "java": []}
    run_once(kiv_argv, kiv_env, work)  # warm the file cache for both
    run_once(java_argv, java_env, work)
    for _ in range(rounds):
        results["kivjava"].append(run_once(kiv_argv, kiv_env, work))
        results["java"].append(run_once(java_argv, java_env, work))

    names = ["kivjava: time to first line (ms)", "kivjava: total wall time (ms)", "kivjava: peak RSS (MiB)"]
    scale = [1000.0, 1000.0, 1.0]
    print(f"launcher benchmark: {rounds} interleaved rounds, JDK {java_home}", file=sys.stderr)
    for i, name in enumerate(names):
        k = statistics.median(r[i] for r in results["kivjava"]) * scale[i]
        j = statistics.median(r[i] for r in results["java"]) * scale[i]
        print(f"ROW\t{name}\t{k:.2f}\tjava -cp, same entry class\t{j:.2f}\tratio<=1.00")

if __name__ == "__main__":
    main()
