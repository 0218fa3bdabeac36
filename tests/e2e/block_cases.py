#!/usr/bin/env python3
"""Cases of orvik-render --block, run with DISPLAY unset: the picture of a
plan with doors blocked, in one command, must be byte for byte the one of
the two-command route (orvik-check --blocked --exits-dir, then
orvik-render --exits with that door's file), on the sample and on a small
plan of two named doors and one unnamed; and the refusals of the checker's
words, status 2, nothing written."""

import subprocess
import sys

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
import case_main  # noqa: E402
import orvik_drive as d  # noqa: E402
from render_cases import render, render_ok  # noqa: E402

# Two named doors and an unnamed one of two cells, in an asymmetric room
# with an inner wall: the "Main gate" is two exit cells one above the other.
TWO_DOORS_PLAN = """\
# door Side door = 3:1
# door Main gate = 5:9
E........
.........
........E
........E
...|.....
...|.....
EE.|.....
"""
README_OPTIONS = ["--annotate", "--limit", "240", "--cell-size", "0.5", "--size", "1200x820",
                  "--title", "Sample station with the North stair closed"]


def door_files(check, plan_args, folder):
    """orvik-check's door files: {door number: path}."""
    done = subprocess.run([str(check), *plan_args, "--blocked", "--exits-dir", str(folder)],
                          capture_output=True, text=True, timeout=120)
    d.check(done.returncode in (0, 1), f"orvik-check --exits-dir: {done.returncode} {done.stderr}")
    return {int(p.name[4:p.name.index("-")]): p for p in folder.glob("door*.dat")}


def same_bytes(a, b, what):
    d.check(a.read_bytes() == b.read_bytes(), f"{what}: {a.name} and {b.name} differ")


def case_sample_north_stair(program, check, sample, scratch):
    """The README's picture, both ways, with the sample's own plan folder."""
    files = door_files(check, ["--plan", sample], scratch / "doors")
    two = scratch / "two.png"
    one = scratch / "one.png"
    render_ok(program, "--plan", sample, *README_OPTIONS, "--exits", files[1], two)
    render_ok(program, "--plan", sample, *README_OPTIONS, "--block", "North stair", one)
    same_bytes(one, two, "North stair by name")
    render_ok(program, "--plan", sample, *README_OPTIONS, "--block", "1", one)
    same_bytes(one, two, "North stair by number")


def case_own_plan_two_doors(program, check, sample, scratch):
    """Each door of a .plan by number, the named ones by name too, with and
    without --annotate; two doors together against a hand-made exit file."""
    plan = scratch / "two-doors.plan"
    plan.write_text(TWO_DOORS_PLAN)
    files = door_files(check, ["--plan", plan], scratch / "doors")
    d.check(sorted(files) == [1, 2, 3], f"doors {sorted(files)}")
    pictures = {}
    for number, path in files.items():
        for mode in (["--annotate"], []):
            two = scratch / f"two-{number}-{len(mode)}.png"
            one = scratch / f"one-{number}-{len(mode)}.png"
            render_ok(program, "--plan", plan, *mode, "--exits", path, two)
            render_ok(program, "--plan", plan, *mode, "--block", str(number), one)
            same_bytes(one, two, f"door {number} {mode}")
        pictures[number] = (scratch / f"two-{number}-1.png").read_bytes()
    by_name = {}
    for name in ("Side door", "Main gate"):
        out = scratch / f"{name}.png"
        render_ok(program, "--plan", plan, "--annotate", "--block", name, out)
        matches = [n for n, data in pictures.items() if data == out.read_bytes()]
        d.check(len(matches) == 1, f"{name}: the picture of doors {matches}")
        by_name[name] = matches[0]
    d.check(len(set(by_name.values())) == 2, f"both names block one door: {by_name}")
    # Both named doors at once: only the unnamed door's cells stay exits.
    unnamed = ({1, 2, 3} - set(by_name.values())).pop()
    kept = set(files[unnamed].read_text().split())  # every exit but the unnamed door's
    named = files[by_name["Side door"]].read_text().split()  # it holds the unnamed door
    both = scratch / "both.dat"
    both.write_text("".join(f"{c}\n" for c in named if c not in kept))
    d.check(len(both.read_text().split()) == 2, f"the unnamed door's cells: {both.read_text()!r}")
    render_ok(program, "--plan", plan, "--exits", both, scratch / "both-two.png")
    render_ok(program, "--plan", plan, "--block", "Side door", "--block", "Main gate",
              scratch / "both-one.png", scratch / "after.png")
    same_bytes(scratch / "both-one.png", scratch / "both-two.png", "two doors together")
    # --block holds for its own output only.
    render_ok(program, "--plan", plan, scratch / "all.png")
    same_bytes(scratch / "after.png", scratch / "all.png", "the output after a --block")


def case_times_with_a_blocked_door(program, check, sample, scratch):
    """With a times CSV (orvik-egress's, say) --block marks the door only:
    the picture of --exits with its door file and the same CSV."""
    plan = scratch / "two-doors.plan"
    plan.write_text(TWO_DOORS_PLAN)
    files = door_files(check, ["--plan", plan], scratch / "doors")
    times = scratch / "times.csv"
    times.write_text("cell,seconds\n" + "".join(f"{c},{7 * c % 300}\n" for c in range(1, 64)))
    for number in files:
        two = scratch / f"two-{number}.png"
        one = scratch / f"one-{number}.png"
        render_ok(program, "--plan", plan, "--annotate", "--exits", files[number], "--times", times, two)
        render_ok(program, "--plan", plan, "--annotate", "--times", times, "--block", str(number), one)
        same_bytes(one, two, f"door {number} over a times CSV")
    plain = scratch / "plain.png"
    render_ok(program, "--plan", plan, "--annotate", "--times", times, plain)
    d.check(plain.read_bytes() != (scratch / "one-1.png").read_bytes(), "the blocked door is not marked")


def case_refusals(program, check, sample, scratch):
    """A door of no name or number, --block with --exits: one
    line, status 2, the doors listed as orvik-check lists them."""
    plan = scratch / "two-doors.plan"
    plan.write_text(TWO_DOORS_PLAN)
    out = scratch / "out"
    out.mkdir()
    png = out / "a.png"
    checked = subprocess.run([str(check), "--plan", str(plan), "--block", "Back door"],
                             capture_output=True, text=True, timeout=60)
    d.check(checked.returncode == 2, f"orvik-check: {checked.returncode} {checked.stderr!r}")
    cases = (
        (["--block", "Back door", png], checked.stderr.replace("orvik-check", "orvik-render")),
        (["--block", "4", png], "no door is named or numbered \"4\"; the doors are: 1"),
        (["--exits", plan.parent / "x.dat", "--block", "1", png], "--block and --exits"),
        ([png, "--block", "1"], "options after the last output"),
    )
    for args, message in cases:
        done = render(program, "--plan", plan, *args)
        lines = done.stderr.splitlines()
        d.check(done.returncode == 2 and len(lines) == 1 and message.strip() in lines[0],
                f"{[str(a) for a in args]}: status {done.returncode}, stderr {done.stderr!r}")
    d.check("\"Side door\"" in checked.stderr and "\"Main gate\"" in checked.stderr,
            f"the doors listed: {checked.stderr!r}")
    d.check(not list(out.iterdir()), f"files written: {list(out.iterdir())}")


CASES = {
    "SampleNorthStair": case_sample_north_stair,
    "OwnPlanTwoDoors": case_own_plan_two_doors,
    "TimesWithABlockedDoor": case_times_with_a_blocked_door,
    "Refusals": case_refusals,
}


def main():
    return case_main.main(__doc__, CASES, ['render', 'check', 'sample'])


if __name__ == "__main__":
    sys.exit(main())
