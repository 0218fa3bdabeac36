#!/usr/bin/python3
"""bench/egress_script.py, the numpy copy of orvik-egress's model that
scripts/bench times beside it: on a small station with a stair, a pillar
and two doors it gives the program's clearing times and densities cell
for cell, with either route. Needs Debian's python3-numpy and Python 3.11
(tomllib); without them it exits with 77 (skipped).

    egress_script_test.py --plan2mesh PROGRAM --egress PROGRAM --scratch DIR"""

import argparse
import re
import subprocess
import sys
from pathlib import Path

sys.dont_write_bytecode = True
REPO = Path(__file__).resolve().parents[1]
try:
    import numpy  # noqa: F401
    import tomllib  # noqa: F401
except ImportError:
    print("numpy or tomllib missing: skipped")
    sys.exit(77)

PLAN = """   EE         E
...............
....  .........
....  ....sss..
..........sss..
pppppppppp.....
ppppppppppppp
"""

SCENARIO = """cell_side = 0.5
[people.density]
platform = 4.0
floor = 0.5
[people.count]
stair = 3
"""


def main():
    parser = argparse.ArgumentParser()
    for name in ("--plan2mesh", "--egress", "--scratch"):
        parser.add_argument(name, required=True)
    a = parser.parse_args()
    folder = Path(a.scratch)
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "station.plan").write_text(PLAN)
    (folder / "station.toml").write_text(SCENARIO)
    subprocess.run([a.plan2mesh, "station.plan", "Mesh.csv", "ExitGrid.dat"], cwd=folder, check=True)
    cells = len((folder / "Mesh.csv").read_text().splitlines()) - 3
    failed = False
    for route in ("quickest", "nearest"):
        times = folder / f"{route}.csv"
        subprocess.run([a.egress, "--plan", str(folder), "--route", route, "--times", str(times)],
                       check=True, stdout=subprocess.DEVNULL)
        done = subprocess.run([sys.executable,
                               str(REPO / "bench" / "egress_script.py"), str(folder),
                               str(folder / "station.toml"), str(folder / "script.csv"), "--route", route,
                               "--against", str(times)], capture_output=True, text=True, check=True)
        said = done.stdout
        equal = re.search(r"clear_seconds equal \(to the file's 3 decimals\) in (\d+)", said)
        occupied = re.search(r"(\d+) agree on being ever occupied", said)
        peak = re.search(r"peak_density largest difference ([0-9.]+)", said)
        ok = (equal and int(equal.group(1)) == cells and occupied and int(occupied.group(1)) == cells
              and peak and float(peak.group(1)) <= 0.0001)
        print(f"{route}: {said.strip()} -> {'ok' if ok else 'DIFFERENT'}")
        failed |= not ok
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
