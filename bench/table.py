#!/usr/bin/env python3
"""Reads the benchmarks' result rows from standard input and prints one table.

A row is a line
    ROW<TAB>figure<TAB>value<TAB>peer<TAB>peer value<TAB>goal
where the values are numbers in the figure's own unit (the figure's name
says which) and the peer value may be "-" when the figure has no peer. The
goal is one of
    ratio<=X   ratio>=X   value<X   value>=X   -   (no goal set)
Every other line is passed through to standard error. A figure that misses
its goal is shown as MISSED; the exit status is 0 either way (benchmarks
report, they do not fail).
"""
import sys


def verdict(goal, value, ratio):
    if goal == "-":
        return "no goal"
    for op in ("ratio<=", "ratio>=", "value<", "value>="):
        if goal.startswith(op):
            limit = float(goal[len(op):])
            if op == "ratio<=":
                ok = ratio is not None and ratio <= limit
            elif op == "ratio>=":
                ok = ratio is not None and ratio >= limit
            elif op == "value>=":
                ok = value >= limit
            else:
                ok = value < limit
            return "met" if ok else "MISSED"
    return "bad goal " + goal


def goal_text(goal):
    for op, text in (("ratio<=", "ratio <= "), ("ratio>=", "ratio >= "), ("value<", "value < "),
                     ("value>=", "value >= ")):
        if goal.startswith(op):
            return text + goal[len(op):]
    return goal


def main():
    rows = []
    for line in sys.stdin:
        parts = line.rstrip("\n").split("\t")
        if len(parts) == 6 and parts[0] == "ROW":
            _, figure, value, peer, peer_value, goal = parts
            value = float(value)
            pv = None if peer_value == "-" else float(peer_value)
            ratio = value / pv if pv else None
            rows.append((figure, value, peer, pv, ratio, goal, verdict(goal, value, ratio)))
        else:
            sys.stderr.write(line)
    head = ("figure", "value", "peer", "peer value", "ratio", "goal", "result")
    cells = [head] + [(f, f"{v:.2f}", p, "-" if pv is None else f"{pv:.2f}",
                       "-" if r is None else f"{r:.2f}",
                       goal_text(g), vd)
                      for f, v, p, pv, r, g, vd in rows]
    widths = [max(len(c[i]) for c in cells) for i in range(len(head))]
    for n, c in enumerate(cells):
        print("  ".join(x.ljust(widths[i]) if i in (0, 2) else x.rjust(widths[i]) for i, x in enumerate(c)).rstrip())
        if n == 0:
            print("  ".join("-" * w for w in widths))
    missed = sum(1 for r in rows if r[6] == "MISSED")
    print(f"\n{len(rows)} figures, {missed} missed their goal")


if __name__ == "__main__":
    main()
