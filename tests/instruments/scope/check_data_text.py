#!/usr/bin/env python3
"""Reads the table the oscilloscope end-to-end test copied from the screen,
with nothing of the code that wrote it: a tab-separated table as the csv
module reads it, three numeric columns (time, A, B in volts), 1001 rows for
10 ms at 1 ms/div, and the wired sources' levels (a 2 V square on A, a 1 V
sine on B).

Usage: check_data_text.py FOLDER
"""
import csv
import os
import sys

NAME = "scope-data.txt"
ROWS = 1001
STEP = 10e-6  # seconds between samples

failures = []


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what)
    if not condition:
        failures.append(what)
    return condition


def number(text):
    # The copy uses the user's decimal sign.
    try:
        return float(text.replace(",", "."))
    except ValueError:
        return None


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    path = os.path.join(sys.argv[1], NAME)
    if not check(os.path.isfile(path), f"{NAME} exists"):
        return 1
    with open(path, newline="", encoding="ascii") as f:
        rows = list(csv.reader(f, delimiter="\t"))
    check(len(rows) == ROWS, f"{len(rows)} rows, {ROWS} expected")
    widths = sorted({len(r) for r in rows})
    check(widths == [3], f"three columns on every row (found {widths})")
    values = [[number(cell) for cell in r] for r in rows if len(r) == 3]
    bad = [i for i, r in enumerate(values) if None in r]
    check(not bad, f"every cell a number (first bad row: {bad[0] if bad else '-'})")
    if bad or not values:
        return 1
    times = [r[0] for r in values]
    check(all(abs(t - i * STEP) < 1e-9 for i, t in enumerate(times)),
          f"time from 0 to {times[-1]:g} s in steps of 10 us")
    a = [r[1] for r in values]
    b = [r[2] for r in values]
    check(all(abs(abs(v) - 2.0) <= 0.06 for v in a), "A is a square of 2 V peak")
    check(abs(max(a) - 2.0) <= 0.06 and abs(min(a) + 2.0) <= 0.06, "A reaches both +2 V and -2 V")
    check(abs(max(abs(v) for v in b) - 1.0) <= 0.03, f"B's peak {max(abs(v) for v in b):g} V is 1 V")
    check(abs(sum(b) / len(b)) <= 0.05, "B has no DC part")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
