"""What the whole-process load benchmarks share: timing a command over several runs and the
peak-memory goal."""
import statistics
import subprocess
import sys
import time

MIB = 1024 * 1024


def timed(cmd, runs):
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


def memory_goal(size):
    """The peak-memory bound for a file of `size` bytes, and its description."""
    limit = 2 * size + 60 * MIB
    return limit, f"goal < {limit / MIB:.1f} MiB = 2 x file + 60 MiB"
