#!/usr/bin/env python3
"""End-to-end cases of orvik-check's command line for the questions a
planner asks: a plan given as a folder or a .plan file, doors blocked by
name with a limit, the list of cells over it, door files of an earlier run,
and the command lines it refuses (one file alone, a limit that is not a
plain decimal number)."""

import csv
import io
import os
import shutil
import subprocess
import sys
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))
from case_main import check, main  # noqa: E402

# Exits at both ends of a corridor of 8 cells, west named, east numbered 2;
# a platform cell below the middle. Line 3 is the corridor.
PLAN = """# door West gate = 3:1
# a plain comment
E......E
...p....
"""


def run(checker, *args, cwd=None):
    return subprocess.run([str(checker), *map(str, args)], capture_output=True, text=True,
                          timeout=120, cwd=cwd)


def write_plan(folder, plan2mesh):
    folder.mkdir(parents=True)
    (folder / "station.plan").write_text(PLAN)
    subprocess.run([str(plan2mesh), "station.plan", "Mesh.csv", "ExitGrid.dat"], cwd=folder, check=True)
    return folder


def case_plan_option(checker, plan2mesh, scratch):
    """--plan FILE.plan gives the report of the converted files; --plan DIR
    that of the folder's files; a plan plan2mesh refuses, a name that is
    neither, or --plan beside file names, status 2 and one line."""
    folder = write_plan(scratch / "p", plan2mesh)
    by_files = run(checker, folder / "Mesh.csv", folder / "ExitGrid.dat", "--json")
    by_dir = run(checker, "--plan", folder, "--json")
    tmp = scratch / "tmp"
    tmp.mkdir()
    by_plan = subprocess.run([str(checker), "--plan", str(folder / "station.plan"), "--json"],
                             capture_output=True, text=True, env=dict(os.environ, TMPDIR=str(tmp)))
    import json
    files, folder_report, plan_report = (json.loads(x.stdout) for x in (by_files, by_dir, by_plan))
    check(by_plan.returncode == 0 == by_dir.returncode, f"status {by_plan.returncode} {by_plan.stderr!r}")
    check(plan_report["plan"] == str(folder / "station.plan"), f"plan: {plan_report['plan']!r}")
    check(folder_report["plan"] is None and folder_report["mesh"]["path"] == str(folder / "Mesh.csv"),
          f"{folder_report['mesh']['path']!r}")
    for key in ("times", "extent", "findingCounts"):
        check(plan_report[key] == files[key] == folder_report[key], f"{key} differs")
    check(not any(tmp.iterdir()), "a converted plan left files behind")
    text = run(checker, "--plan", folder / "station.plan").stdout
    check(text.startswith(f"Checking {folder / 'station.plan'}, converted by plan2mesh in memory"), text[:200])
    (scratch / "bad.plan").write_text("E.x\n")
    for args, message in (
            (["--plan", scratch / "bad.plan"], "bad.plan:1:3: unknown character 'x'"),
            (["--plan", scratch / "no.txt"], "is neither a folder"),
            (["--plan", folder, folder / "Mesh.csv", folder / "ExitGrid.dat"], "cannot be given together"),
            (["--plan", folder / "station.plan", "--times", folder / "station.plan"], "is a file being checked")):
        done = run(checker, *args)
        check(done.returncode == 2 and message in done.stderr,
              f"{args}: status {done.returncode}, stderr {done.stderr!r}")
    check((folder / "station.plan").read_text() == PLAN, "the plan was overwritten")


def case_block_and_list(checker, plan2mesh, scratch):
    """With "West gate" blocked every cell walks to the east exit (cell 8):
    over 16 s are the cells more than 4 moves from it. Worked by hand:
    corridor cells 1-3 (28, 24, 20 s), row 2 cells 9-11 (32, 28, 24 s) and
    the platform, cell 12 (4 moves + 1 = 5 moves: 20 s)."""
    folder = write_plan(scratch / "p", plan2mesh)
    done = run(checker, "--plan", folder / "station.plan", "--block", "West gate", "--limit", "16",
               "--list", scratch / "over.csv")
    check(done.returncode == 1, f"status {done.returncode}: {done.stderr!r}")
    check('With door 1 "West gate" blocked: 7 cells over the limit.' in done.stdout, done.stdout)
    rows = list(csv.DictReader(io.StringIO((scratch / "over.csv").read_text())))
    check([(r["cell"], r["plan_place"], r["kind"], r["seconds"]) for r in rows] ==
          [("1", "3:1", "exit", "28"), ("2", "3:2", "floor", "24"), ("3", "3:3", "floor", "20"),
           ("9", "4:1", "floor", "32"), ("10", "4:2", "floor", "28"), ("11", "4:3", "floor", "24"),
           ("12", "4:4", "platform", "20")], f"list: {rows}")
    # Both doors by number and name: nobody gets out; the list says why.
    done = run(checker, "--plan", folder, "--block", "2", "--block", "West gate", "--over", "0",
               "--list", scratch / "all.csv")
    rows = list(csv.DictReader(io.StringIO((scratch / "all.csv").read_text())))
    check(len(rows) == 16 and all(r["seconds"] == "" and r["unreached"] == "no_way_out" for r in rows),
          f"{rows[:3]}")
    (scratch / "kept.csv").write_text("mine\n")
    for args, message in (
            (["--block", "North"], 'no door is named or numbered "North"; the doors are: 1 "West gate", 2'),
            (["--list", scratch / "kept.csv"], "--list writes the cells over a limit"),
            (["--limit", "5", "--over", "6"], "usage"),
            (["--block"], "usage")):
        done = run(checker, "--plan", folder, *args)
        check(done.returncode == 2 and message in done.stderr and done.stdout == "",
              f"{args}: status {done.returncode}, stderr {done.stderr!r}")
    check((scratch / "kept.csv").read_text() == "mine\n", "a refused command wrote its list")


def case_refused_arguments(checker, plan2mesh, scratch):
    """One file alone would be checked against the sample's exit file: it is
    refused, as are limits that are no plain decimal number of seconds
    (--limit 0x10 was read as 16 s)."""
    folder = write_plan(scratch / "p", plan2mesh)
    done = run(checker, folder / "Mesh.csv")
    check(done.returncode == 2 and "give both the mesh file and the exit file" in done.stderr
          and done.stderr.count("\n") == 1 and done.stdout == "", f"{done.returncode} {done.stderr!r}")
    for limit in ("0x10", "1e3", "inf", "nan", " 5", "5 ", "-1", "+5", "", "1.2.3", "."):
        done = run(checker, "--plan", folder, "--limit", limit)
        check(done.returncode == 2 and done.stdout == "", f"--limit {limit!r}: status {done.returncode}")
    for limit, shown in (("16", "Limit of 16 s"), ("16.5", "Limit of 16.5 s"), (".5", "Limit of 0.5 s"),
                         ("7.", "Limit of 7 s")):
        done = run(checker, "--plan", folder, "--limit", limit)
        check(done.returncode in (0, 1) and shown in done.stdout, f"--limit {limit}: {done.stdout[-600:]!r}")


def case_stale_door_files(checker, plan2mesh, scratch):
    """A second --exits-dir run into the same folder leaves only its own
    door files: those of a door the plan no longer has go, and the report
    says so; other files, and an exit file being checked, stay."""
    folder = write_plan(scratch / "p", plan2mesh)
    doors = scratch / "doors"
    done = run(checker, folder / "Mesh.csv", folder / "ExitGrid.dat", "--exits-dir", doors)
    check(done.returncode == 0, done.stderr)
    first = sorted(p.name for p in doors.iterdir())
    check(first == ["door1-c1-r2.dat", "door2-c8-r2.dat"], f"{first}")
    (doors / "door9-c3-r-4.dat").write_text("1\n")   # as an earlier plan's run left it
    (doors / "notes.txt").write_text("mine\n")
    (doors / "door-plan.dat").write_text("mine\n")
    shutil.copy(folder / "ExitGrid.dat", doors / "door7-c1-r1.dat")
    done = run(checker, folder / "Mesh.csv", doors / "door7-c1-r1.dat", "--exits-dir", doors)
    check(done.returncode == 0, done.stderr)
    left = sorted(p.name for p in doors.iterdir())
    check(left == ["door-plan.dat", "door1-c1-r2.dat", "door2-c8-r2.dat", "door7-c1-r1.dat", "notes.txt"],
          f"{left}")
    check("Removed 1 door file of an earlier run for doors this plan does not have (door9-c3-r-4.dat)."
          in done.stdout, done.stdout)


def case_sample_station(checker, plan2mesh, scratch):
    """The question of the README, in one command on the shipped sample."""
    sample = Path(__file__).resolve().parents[2] / "in"
    done = run(checker, "--block", "North stair", "--limit", "240", cwd=sample)
    check(done.returncode == 1, f"status {done.returncode}: {done.stderr!r}")
    check('With door 1 "North stair" blocked (6 exit cells no exit)' in done.stdout, done.stdout)
    check('With door 1 "North stair" blocked: 12999 cells over the limit' in done.stdout, done.stdout)


CASES = {"PlanOption": case_plan_option, "BlockAndList": case_block_and_list,
         "RefusedArguments": case_refused_arguments, "StaleDoorFiles": case_stale_door_files,
         "SampleStation": case_sample_station}


if __name__ == "__main__":
    sys.exit(main(__doc__, CASES, ("check", "plan2mesh")))
