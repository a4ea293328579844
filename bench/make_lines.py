#!/usr/bin/env python3
"""Writes the benchmarks' record file: 100 MB of 80-character lines (79
characters and the line end).
    make_lines.py FILE
"""
import sys

LINE = ("0123456789" * 8)[:79] + "\n"
with open(sys.argv[1], "w") as f:
    f.write(LINE * (100_000_000 // len(LINE)))
