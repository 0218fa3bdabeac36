#!/usr/bin/env python3
"""End-to-end cases of scripts/view: the real window on a plan folder or a
.plan file, in a private Xvfb; the plan's folder untouched, the snapshot
kept, nothing left in the temporary folder, and how it fails."""

import argparse
import os
import subprocess
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
import orvik_drive as d  # noqa: E402

# Two rooms joined by a door in a wall, an exit 'E' and a walled exit 'e'.
SMALL_PLAN = """# door Street = 3:1
# door Yard = 6:10
E....|....
.....|....
..........
.........e
"""


def listing(folder):
    return sorted(str(p.relative_to(folder)) for p in folder.rglob("*"))


def view_and_snapshot(script, build, plan, scratch):
    """scripts/view PLAN in its own X server: waits for the window, presses
    "s" and Escape; returns the kept snapshot and the script's output."""
    caller = scratch / "caller"
    tmp = scratch / "tmp"
    caller.mkdir(parents=True)
    tmp.mkdir()
    with open(scratch / "xvfb.log", "wb") as xlog:
        xvfb, display = d.start_xvfb(xlog)
    env = dict(os.environ, DISPLAY=display, TMPDIR=str(tmp))
    try:
        view = subprocess.Popen([str(script), "--build", str(build), str(plan)], cwd=caller, env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                preexec_fn=d.die_with_parent)
        window = d.xdotool(env, "search", "--sync", "--name", d.WINDOW_TITLE,
                           timeout=d.START_UP_LIMIT).split()[0]
        time.sleep(d.FRAME_WAIT)
        runs = list(tmp.glob("orvik-view.*/run"))
        d.check(len(runs) == 1, f"one scratch folder expected in TMPDIR: {listing(tmp)}")
        d.xdotool(env, "key", "--window", window, "s")
        session = d.Session(runs[0], env, xvfb, view, window, scratch / "xvfb.log")
        d.complete_snapshot(session)
        d.xdotool(env, "key", "--window", window, "Escape", may_fail=True)
        out, err = view.communicate(timeout=10)
    finally:
        d.stop(xvfb)
    d.check(view.returncode == 0, f"scripts/view: status {view.returncode}, stderr {err!r}")
    d.check("snapshot.bmp" in out, f"the kept snapshot is not named: {out!r}")
    d.check(listing(tmp) == [], f"left in TMPDIR: {listing(tmp)}")
    return d.read_bmp(caller / "snapshot.bmp")


def case_plan_file(script, build, scratch):
    """A .plan converted on the fly: the window shows what orvik-render
    draws of plan2mesh's files, byte for byte; nothing lands beside the plan."""
    plans = scratch / "plans"
    plans.mkdir(parents=True)
    (plans / "small.plan").write_text(SMALL_PLAN)
    bmp = view_and_snapshot(script, build, plans / "small.plan", scratch)
    d.check(listing(plans) == ["small.plan"], f"beside the plan: {listing(plans)}")
    expected = scratch / "expected"
    expected.mkdir()
    subprocess.run([str(build / "plan2mesh"), str(plans / "small.plan"), str(expected / "Mesh.csv"),
                    str(expected / "ExitGrid.dat")], check=True)
    subprocess.run([str(build / "orvik-render"), "--plan", str(expected), str(expected / "pic.bmp")],
                   check=True, env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
    d.check(bmp.data == (expected / "pic.bmp").read_bytes(),
            "the window's snapshot differs from orvik-render's picture of the converted plan")


def case_folder(script, build, scratch):
    """A folder with Mesh.csv and ExitGrid.dat: the picture is that plan's,
    and the folder keeps exactly its two files."""
    plan = d.sample_plan()
    folder = scratch / "plan"
    d.write_plan(plan, folder)
    before = {name: (folder / name).read_bytes() for name in ("Mesh.csv", "ExitGrid.dat")}
    bmp = view_and_snapshot(script, build, folder, scratch)
    d.check_bmp_header(bmp, d.WINDOW_W, d.WINDOW_H)
    d.check_picture(bmp, plan, d.View())
    d.check({name: (folder / name).read_bytes() for name in before} == before, "the plan changed")
    d.check(listing(folder) == ["ExitGrid.dat", "Mesh.csv"], f"in the folder: {listing(folder)}")


def case_bad_arguments(script, build, scratch):
    """Usage and status 2 for a wrong command line; status 1 and one line for
    a plan that cannot be shown; no window either way."""
    scratch.mkdir(parents=True)
    (scratch / "empty").mkdir()
    (scratch / "bad.plan").write_text("E.x\n")
    (scratch / "good.plan").write_text(SMALL_PLAN)
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    cases = (
        ([], 2, "no plan named"),
        (["--zoom", "x.plan"], 2, "unknown option --zoom"),
        (["a.plan", "b.plan"], 2, "one plan at a time"),
        ([str(scratch / "empty")], 1, "has no Mesh.csv"),
        ([str(scratch / "nothing.txt")], 1, "neither a folder"),
        ([str(scratch / "bad.plan")], 1, "bad.plan:1:3: unknown character 'x'"),
        ([str(scratch / "good.plan")], 1, "no display"),
    )
    for args, status, message in cases:
        done = subprocess.run([str(script), "--build", str(build), *args], capture_output=True,
                              text=True, timeout=60, env=env)
        d.check(done.returncode == status and message in done.stderr,
                f"{args}: status {done.returncode}, stderr {done.stderr!r}, wanted {message!r}")
    done = subprocess.run([str(script), "--help"], capture_output=True, text=True, timeout=60)
    d.check(done.returncode == 0 and "Usage: scripts/view" in done.stdout, f"--help: {done.stdout!r}")


CASES = {"PlanFile": case_plan_file, "Folder": case_folder, "BadArguments": case_bad_arguments}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--script", required=True, type=Path, help="scripts/view")
    parser.add_argument("--build", required=True, type=Path, help="folder with orvik, plan2mesh, orvik-render")
    parser.add_argument("--scratch", required=True, type=Path, help="directory to work in")
    parser.add_argument("case", choices=sorted(CASES))
    args = parser.parse_args()
    scratch = args.scratch.resolve()
    if scratch.exists():
        import shutil
        shutil.rmtree(scratch)
    return d.run_case(args.case, lambda: CASES[args.case](args.script.resolve(), args.build.resolve(), scratch))


if __name__ == "__main__":
    sys.exit(main())
