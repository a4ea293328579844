#!/usr/bin/env python3
"""A spawned child in utility mode with 10 DDs against starting a trivial program.

kivjava -spawnclient_attach allocates ten DDs from a PIP list, runs the
simulated utility, frees the DDs and prints its end marker; /bin/true only
starts and ends. Runs are interleaved so that both see the same machine.
Reports the median wall time of each (goal: ratio <= 2.00) as a result row
for bench/table.py.

usage: spawn_bench.py <kivjava> [rounds]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

MARKER = b"-00000-child-end-00000-"


def pip(dd, ds):
    strings = {0: dd, 1: ds}
    string_positions = {0, 1, 3, 4, 8, 9, 17, 18, 19, 21, 26, 27, 28, 29, 30, 32}
    values = [strings.get(i, "00000000") if i in string_positions else "0" for i in range(42)]
    return "".join(v + " $ " for v in values) + " $$$ "


def run_once(argv, cwd, check_marker):
    start = time.perf_counter()
    proc = subprocess.run(argv, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    total = time.perf_counter() - start
    if proc.returncode != 0 or (check_marker and not proc.stdout.endswith(MARKER)):
        raise SystemExit(f"benchmark run failed: {argv[:2]} exited {proc.returncode}")
    return total * 1000.0


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    kivjava = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 50
    work = tempfile.mkdtemp(prefix="kiv-spawn-bench-")
    dds = "".join(pip(f"DD{i:02d}", f"ZZ.BENCH{i:02d}") for i in range(10))
    kiv_argv = [kivjava, "-spawnclient_attach", "UTIL1", "", "", dds, "", ""]
    true_argv = ["/bin/true"]
    run_once(kiv_argv, work, True)
    run_once(true_argv, work, False)
    kiv, floor = [], []
    for _ in range(rounds):
        kiv.append(run_once(kiv_argv, work, True))
        floor.append(run_once(true_argv, work, False))
    k, t = statistics.median(kiv), statistics.median(floor)
    print(f"spawn benchmark: {rounds} interleaved rounds", file=sys.stderr)
    print(f"ROW\tspawned child, attach mode, 10 DDs (ms)\t{k:.2f}\t/bin/true\t{t:.2f}\tratio<=2.00")
    os.rmdir(work)


if __name__ == "__main__":
    main()
