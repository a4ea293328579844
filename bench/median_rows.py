#!/usr/bin/env python3
"""Reads the result rows of several fresh VMs (the same figures each time)
and prints, for each figure and peer, the row of the VM whose ratio (or, for
a figure without a peer, value) is the median. Other lines pass through to
standard error."""
import sys


def main():
    groups = {}
    order = []
    for line in sys.stdin:
        parts = line.rstrip("\n").split("\t")
        if len(parts) != 6 or parts[0] != "ROW":
            sys.stderr.write(line)
            continue
        key = (parts[1], parts[3])
        if key not in groups:
            groups[key] = []
            order.append(key)
        groups[key].append(parts)
    for key in order:
        rows = groups[key]

        def rank(p):
            value = float(p[2])
            return value / float(p[4]) if p[4] not in ("-", "0", "0.00") else value

        rows.sort(key=rank)
        best = rows[len(rows) // 2]
        best[1] = f"{best[1]} [median of {len(rows)} VMs]" if len(rows) > 1 else best[1]
        print("\t".join(best))


if __name__ == "__main__":
    main()
