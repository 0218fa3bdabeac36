"""The runner the end-to-end case files share: the case named on the command
line runs once in a fresh scratch folder and says ok (status 0), FAIL with
the reason (status 1: a check that failed, a program that timed out, a
file it did not write, output that does not parse) or skipped (status 77, which CTest counts as a skip
where the test says so)."""

import argparse
import shutil
import subprocess
import sys
from pathlib import Path


from orvik_drive import Failure  # noqa: E402  (one failure for every case file)


class Skip(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def main(doc, cases, paths):
    """Runs the case of `cases` named on the command line with the paths
    named in `paths` (each an option --NAME), then the scratch folder, as
    its arguments in that order."""
    parser = argparse.ArgumentParser(description=doc)
    for name in paths:
        parser.add_argument(f"--{name}", required=True, type=Path)
    parser.add_argument("--scratch", required=True, type=Path)
    parser.add_argument("case", choices=sorted(cases))
    args = parser.parse_args()
    scratch = args.scratch.resolve()
    if scratch.exists():
        shutil.rmtree(scratch)
    scratch.mkdir(parents=True)
    given = [getattr(args, name.replace("-", "_")).resolve() for name in paths]
    try:
        cases[args.case](*given, scratch)
    except Skip as why:
        print(f"skipped {args.case}: {why}")
        return 77
    except (Failure, subprocess.SubprocessError, OSError, ValueError) as failure:
        print(f"FAIL {args.case}: {failure}", file=sys.stderr)
        return 1
    print(f"ok {args.case}")
    return 0
