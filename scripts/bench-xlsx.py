"""The .xlsx load benchmark: tayori-cli against the byte-read floor and openpyxl in read-only
mode (every cell's value), median of 3 (openpyxl once: it takes a minute); then our peak memory
against 2 x the file + 60 MiB."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench_common import MIB, memory_goal, timed  # noqa: E402

cli, book = sys.argv[1], sys.argv[2]

OPENPYXL = (
    "import sys, openpyxl\n"
    "b = openpyxl.load_workbook(sys.argv[1], read_only=True)\n"
    "n = 0\n"
    "for s in b.worksheets:\n"
    "    for row in s.iter_rows(values_only=True):\n"
    "        for v in row:\n"
    "            n += 1\n"
    "print(n)\n"
)

size = os.path.getsize(book)
floor, _ = timed(["cat", book], 3)
ours, ours_peak = timed([cli, "cells", book], 3)
theirs, _ = timed(["/usr/bin/python3", "-c", OPENPYXL, book], 1)

print(f"workbook: {book} ({size / MIB:.1f} MiB)")
print(f"read the bytes (floor):  {floor:.3f} s")
print(f"tayori-cli cells:        {ours:.3f} s  = {ours / floor:.1f} x floor")
print(f"openpyxl read-only:      {theirs:.3f} s  -> tayori is {theirs / ours:.1f} x faster (goal >= 10)")
print(f"peak memory:             {ours_peak / 1024:.1f} MiB ({memory_goal(size)[1]})")
