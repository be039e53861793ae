"""Workbook load benchmark: tayori-cli against the byte-read floor and xlrd, median of 5; then
the peak memory of a workbook whose shared-string table holds millions of strings."""
import os
import statistics
import subprocess
import sys
import time

cli, book = sys.argv[1], sys.argv[2]
strings = sys.argv[3] if len(sys.argv) > 3 else None
RUNS = 5

XLRD = (
    "import sys, xlrd\n"
    "b = xlrd.open_workbook(sys.argv[1])\n"
    "n = 0\n"
    "for s in b.sheets():\n"
    "    for r in range(s.nrows):\n"
    "        for v in s.row_values(r):\n"
    "            n += 1\n"
    "print(n)\n"
)


def timed(cmd, runs=RUNS):
    """Median wall time and the largest peak resident size (KiB) over `runs` runs."""
    times, peaks = [], []
    for _ in range(runs):
        start = time.perf_counter()
        proc = subprocess.run(["/usr/bin/time", "-f", "%M"] + cmd,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        times.append(time.perf_counter() - start)
        if proc.returncode not in (0, 3):
            sys.exit(f"{cmd[0]} failed: {proc.stderr}")
        peaks.append(int(proc.stderr.strip().splitlines()[-1]))
    return statistics.median(times), max(peaks)


size = os.path.getsize(book)
floor, _ = timed(["cat", book])
ours, ours_peak = timed([cli, "cells", book])
xlrd, _ = timed(["/usr/bin/python3", "-c", XLRD, book])

mib = 1024 * 1024
limit = 2 * size + 60 * mib
print(f"workbook: {book} ({size / mib:.1f} MiB)")
print(f"read the bytes (floor): {floor:.3f} s")
print(f"tayori-cli cells:       {ours:.3f} s  = {ours / floor:.1f} x floor")
print(f"xlrd, every cell:       {xlrd:.3f} s  -> tayori is {xlrd / ours:.1f} x faster (goal >= 20)")
print(f"peak memory:            {ours_peak / 1024:.1f} MiB (goal < {limit / mib:.1f} MiB = 2 x file + 60 MiB)")

if strings:
    size = os.path.getsize(strings)
    limit = 2 * size + 60 * mib
    took, peak = timed([cli, "cells", strings], runs=1)
    print(f"string table: {strings} ({size / mib:.1f} MiB)")
    print(f"tayori-cli cells:       {took:.3f} s, peak memory {peak / 1024:.1f} MiB "
          f"(goal < {limit / mib:.1f} MiB = 2 x file + 60 MiB)")
