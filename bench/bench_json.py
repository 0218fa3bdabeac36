#!/usr/bin/env python3
"""Google Benchmark's JSON output as "name key value" lines, one for each
plain value of each single run (aggregates are left out: scripts/bench takes
the fastest repetition itself).

    bench/bench_json.py FILE.json"""

import json
import sys


def main():
    with open(sys.argv[1]) as f:
        runs = json.load(f).get("benchmarks", [])
    for run in runs:
        if run.get("run_type") != "iteration":
            continue
        for key, value in run.items():
            if key in ("name", "run_type") or isinstance(value, (dict, list)):
                continue
            text = value if isinstance(value, str) else json.dumps(value)
            print(run["name"], key, text)


if __name__ == "__main__":
    main()
