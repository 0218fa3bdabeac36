#!/usr/bin/env python3
"""Wall time of whole processes, start to exit: runs the command RUNS times
and prints "median min max" in milliseconds. A run that fails stops it.

    bench/time_runs.py RUNS COMMAND [ARG...]"""

import statistics
import subprocess
import sys
import time


def main():
    runs, command = int(sys.argv[1]), sys.argv[2:]
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        times.append((time.perf_counter() - start) * 1000.0)
        if done.returncode != 0:
            sys.exit(f"{' '.join(command)}: status {done.returncode}: {done.stderr.decode()[-300:]}")
    print(f"{statistics.median(times):.1f} {min(times):.1f} {max(times):.1f}")


if __name__ == "__main__":
    main()
