"""Workbook load benchmark: tayori-cli against the byte-read floor and xlrd, median of 5; then
the peak memory of a workbook whose shared-string table holds millions of strings."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_common import MIB, memory_goal, timed  # noqa: E402

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

size = os.path.getsize(book)
floor, _ = timed(["cat", book], RUNS)
ours, ours_peak = timed([cli, "cells", book], RUNS)
xlrd, _ = timed(["/usr/bin/python3", "-c", XLRD, book], RUNS)

print(f"workbook: {book} ({size / MIB:.1f} MiB)")
print(f"read the bytes (floor): {floor:.3f} s")
print(f"tayori-cli cells:       {ours:.3f} s  = {ours / floor:.1f} x floor")
print(f"xlrd, every cell:       {xlrd:.3f} s  -> tayori is {xlrd / ours:.1f} x faster (goal >= 20)")
print(f"peak memory:            {ours_peak / 1024:.1f} MiB ({memory_goal(size)[1]})")

if strings:
    size = os.path.getsize(strings)
    took, peak = timed([cli, "cells", strings], runs=1)
    print(f"string table: {strings} ({size / MIB:.1f} MiB)")
    print(f"tayori-cli cells:       {took:.3f} s, peak memory {peak / 1024:.1f} MiB "
          f"({memory_goal(size)[1]})")
