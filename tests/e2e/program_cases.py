#!/usr/bin/env python3
"""End-to-end cases of the orvik program: one case per run, named on the
command line, each in its own scratch directory and X server."""

import argparse
import shutil
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
import orvik_drive as d  # noqa: E402

BLOCKED_MESSAGE = "fstream::open() failed.\n"


def case_start_picture(orvik, scratch):
    """The first picture: cells, rock, walls and legend where the start
    view puts them; the file as BMP; Escape ends with status 0."""
    plan = d.sample_plan()
    with d.running_program(orvik, scratch, plan) as session:
        bmp = d.settled_snapshot(session)
        d.check_bmp_header(bmp, d.WINDOW_W, d.WINDOW_H)
        d.check(len(bmp.data) == 1_920_054, f"snapshot is {len(bmp.data)} bytes")
        d.check_picture(bmp, plan, d.View())
        # Alpha is written as read: opaque everywhere.
        alphas = set(bmp.pixels()[3::4])
        d.check(alphas == {255}, f"alpha bytes {sorted(alphas)[:5]}")
        d.quit_with_escape(session)
        d.check(d.stderr_text(session) == "", f"stderr: {d.stderr_text(session)!r}")


def case_pan(orvik, scratch):
    """Each pan key, five presses at a time, moves the map by 2 pan steps a
    press in its own direction; the keys add up."""
    plan = d.sample_plan()
    view = d.View()
    with d.running_program(orvik, scratch, plan) as session:
        for key in ("2", "6", "i", "l", "8", "4", "k", "j", "j", "i"):
            keys = [key] * 5
            d.press(session, keys)
            d.apply_keys(view, keys)
            try:
                d.check_picture(d.settled_snapshot(session), plan, view)
            except d.Failure as failure:
                raise d.Failure(f"after {d.describe_keys(keys)}: {failure}")
        d.quit_with_escape(session)


def case_zoom_and_reset(orvik, scratch):
    """"w" magnifies and "W" shrinks by 0.01 a press about the view's centre;
    "0" and "R" restore the start picture exactly; keys outside the table
    leave the picture alone."""
    plan = d.sample_plan()
    view = d.View()
    with d.running_program(orvik, scratch, plan) as session:
        start = d.settled_snapshot(session)
        steps = (["w"] * 30, ["W"] * 60, ["6", "6", "k", "w", "w"], ["0"],
                 ["4", "i", "i", "W", "W", "W"], ["R"])
        for keys in steps:
            d.press(session, keys)
            d.apply_keys(view, keys)
            bmp = d.settled_snapshot(session)
            try:
                d.check_picture(bmp, plan, view)
            except d.Failure as failure:
                raise d.Failure(f"after {d.describe_keys(keys)}: {failure}")
            if keys[0] in ("0", "R"):
                d.check(bmp.data == start.data, f"{keys[0]!r} does not restore the start picture")

        d.press(session, ["l", "l", "w", "w", "w"])
        before = d.settled_snapshot(session)
        ignored = ["r", "S", "I", "J", "K", "L", "x", "9", "space", "Left", "Up", "F1", "Return"]
        d.press(session, ignored)
        d.check(d.settled_snapshot(session).data == before.data,
                f"one of {ignored} changed the picture")
        d.quit_with_escape(session)


def case_zoom_floor(orvik, scratch):
    """150 presses of "w" stop at the zoom floor: the frame loop goes on and
    the picture is the centre of the map, hugely magnified."""
    plan = d.sample_plan()
    view = d.View()
    with d.running_program(orvik, scratch, plan) as session:
        keys = ["w"] * 150
        d.press(session, keys, delay_ms=1)
        d.apply_keys(view, keys)
        d.check(view.zoom == 0.01, f"model zoom {view.zoom}")
        bmp = d.settled_snapshot(session)
        d.check_picture(bmp, plan, view)
        # The centre of the map (6, 4) is a corner of cells (3, 2), (4, 2),
        # (3, 3) and (4, 3), each now a quarter of the viewport, with the
        # wall between rows 2 and 3 across the middle and the one between
        # columns 3 and 4 below it.
        for (dx, dy), cell in (((-100, -100), (3, 2)), ((100, -100), (4, 2)),
                               ((-100, 100), (3, 3)), ((100, 100), (4, 3))):
            got = bmp.pixel(d.VIEWPORT_X + 395 + dx, d.VIEWPORT_Y + 265 + dy)
            want = d.time_color(plan.times[cell])
            d.check(d.near(got, want), f"quarter of cell {cell} shows {got}, expected {want}")
        # A pan step is s map units whatever the zoom: at the floor one
        # press of "6" moves the map by a quarter of the viewport, which
        # pins the floor's value. Then "W" leaves the floor.
        for keys in (["6"], ["W"]):
            d.press(session, keys)
            d.apply_keys(view, keys)
            try:
                d.check_picture(d.settled_snapshot(session), plan, view)
            except d.Failure as failure:
                raise d.Failure(f"after {d.describe_keys(keys)} at the floor: {failure}")
        d.quit_with_escape(session)


def case_snapshot_file(orvik, scratch):
    """The file follows the window's size, and the picture in it stays at
    the lower left, grey around it."""
    plan = d.sample_plan()
    with d.running_program(orvik, scratch, plan) as session:
        first = d.settled_snapshot(session)
        d.check_bmp_header(first, 800, 600)
        for width, height in ((900, 700), (640, 480)):
            d.xdotool(session.env, "windowsize", session.window, str(width), str(height))
            bmp = d.settled_snapshot(session, size=(width, height))
            d.check_bmp_header(bmp, width, height)
            mismatch = [(x, y) for y in range(min(height, 600)) for x in range(min(width, 800))
                        if bmp.pixel(x, y) != first.pixel(x, y)]
            d.check(not mismatch, f"{width}x{height}: the lower-left part differs from the "
                    f"800x600 picture at {len(mismatch)} pixels, first {mismatch[:5]}")
            if width > 800:
                d.check_panel(bmp)  # grey right of and above 800 by 600
        d.quit_with_escape(session)


def case_snapshot_blocked(orvik, scratch):
    """A directory named snapshot.bmp: "s" reports the failed open, the
    program goes on, and a later "s" saves once the directory is gone."""
    plan = d.sample_plan()
    with d.running_program(orvik, scratch, plan) as session:
        blocker = session.run_dir / "snapshot.bmp"
        blocker.mkdir()
        before = d.stderr_text(session)
        d.press(session, ["s"])
        deadline = time.monotonic() + d.SNAPSHOT_LIMIT
        while len(d.stderr_text(session)) < len(before) + len(BLOCKED_MESSAGE) \
                and time.monotonic() < deadline:
            time.sleep(0.05)
        time.sleep(0.3)
        added = d.stderr_text(session)[len(before):]
        d.check(added == BLOCKED_MESSAGE, f"stderr after blocked \"s\": {added!r}")
        d.check(session.program.poll() is None, "the program ended after the failed snapshot")
        d.check(blocker.is_dir() and not any(blocker.iterdir()), "the directory was touched")
        blocker.rmdir()
        d.press(session, ["6"])
        bmp = d.settled_snapshot(session)
        d.check_bmp_header(bmp, 800, 600)
        d.check_picture(bmp, plan, d.View(pan_x=2))
        d.check(d.stderr_text(session) == before + BLOCKED_MESSAGE,
                f"stderr after the later snapshots: {d.stderr_text(session)!r}")
        d.quit_with_escape(session)


def case_keys_then_snapshot_at_once(orvik, scratch):
    """Keys and "s" sent in one batch with no delay: the file shows the view
    after every key before the "s", not the picture drawn before them."""
    plan = d.sample_plan()
    view = d.View()
    with d.running_program(orvik, scratch, plan) as session:
        path = session.run_dir / "snapshot.bmp"
        for keys in (["6"], ["w"] * 20, ["i", "i", "4"], ["0", "W"], ["k"] * 7):
            if path.exists():
                path.unlink()
            d.press(session, keys + ["s"], delay_ms=0)
            d.apply_keys(view, keys)
            bmp = d.complete_snapshot(session)
            try:
                d.check_picture(bmp, plan, view)
            except d.Failure as failure:
                raise d.Failure(f"after {d.describe_keys(keys)} and 's' at once: {failure}")
        d.quit_with_escape(session)


def case_huge_and_endless_inputs(orvik, scratch):
    """With at most 2 GB of address space the window opens on a 4 GB sparse
    mesh file and on /dev/urandom in place of the mesh file, draws, and
    Escape ends it with status 0: reading takes a fixed piece at a time."""
    def sparse(folder):
        with open(folder / "Mesh.csv", "wb") as mesh:
            mesh.truncate(4 << 30)
        (folder / "ExitGrid.dat").write_text("1\n")

    def endless(folder):
        (folder / "Mesh.csv").symlink_to("/dev/urandom")
        (folder / "ExitGrid.dat").symlink_to("/dev/urandom")

    for name, write_in in (("sparse", sparse), ("urandom", endless)):
        with d.running_program(orvik, scratch / name, None, write_in=write_in,
                               address_bytes=2_000_000 * 1024) as session:
            try:
                d.check_panel(d.settled_snapshot(session))
                d.quit_with_escape(session)
            except d.Failure as failure:
                raise d.Failure(f"{name}: {failure}")


def mesh_cells(path):
    """Records of a mesh file written one to a line: number -> (column,
    row, [right, bottom, left, top], left wall, bottom wall, tags)."""
    cells = {}
    for line in path.read_text().splitlines()[3:]:
        f = line.split()
        cells[int(f[0])] = (int(f[5]), int(f[6]), [int(v) for v in f[1:5]], f[8] != "0",
                            f[9] != "0", f[10])
    return cells


def mesh_walk(cells, exits):
    """Seconds from each cell to the nearest exit, 4 a move through sides
    that the neighbour numbers name and no wall closes, whether or not the
    two cells lie side by side (a stair's join), up to 448 s."""
    def closed(c, side):  # side 0 right, 1 bottom, 2 left, 3 top
        n = cells[c][2][side]
        return n not in cells or (side == 2 and cells[c][3]) or (side == 1 and cells[c][4])

    times = {e: 0.0 for e in exits}
    frontier = list(exits)
    while frontier:
        following = []
        for c in frontier:
            for side in range(4):
                n = cells[c][2][side]
                if closed(c, side) or closed(n, (side + 2) % 4) or n in times:
                    continue
                if times[c] < d.MAX_MOVES_TIME:
                    times[n] = times[c] + 4.0
                    following.append(n)
        frontier = following
    return times


def case_two_level_sample(orvik, scratch):
    """The two-level sample (in/two-level) in one window: a cell of each
    level in the colour of its walking time, which a breadth-first walk of
    the mesh's own neighbour numbers works out, through the stairs' and
    escalators' joins for the platform."""
    sample = Path(__file__).resolve().parents[2] / "in" / "two-level"
    cells = mesh_cells(sample / "Mesh.csv")
    exits = [int(v) for v in (sample / "ExitGrid.dat").read_text().split()]
    times = mesh_walk(cells, exits)

    def copy(folder):
        for name in ("Mesh.csv", "ExitGrid.dat"):
            shutil.copy(sample / name, folder / name)

    def on_level(name):
        return [c for c in cells if f"level={name}" in cells[c][5].split(";") and c in times]

    # The paid area's far corner on the concourse; the platform cell
    # farthest from every exit that the walk reaches within its cut-off
    # (the platform's ends lie beyond it), only up a stair or escalator.
    concourse = max(on_level("Concourse"), key=lambda c: (times[c], c))
    platform = max(on_level("Platform"), key=lambda c: (times[c], c))
    d.check(times[platform] > times[concourse] > 60.0,
            f"times {times[concourse]} and {times[platform]} s")
    extent = (max(2.0 * v[0] for v in cells.values()), max(2.0 * v[1] for v in cells.values()))
    bounds = d.view_bounds(extent, d.View())
    with d.running_program(orvik, scratch, None, write_in=copy) as session:
        bmp = d.settled_snapshot(session)
        for c in (concourse, platform):
            column, row = cells[c][0], cells[c][1]
            wx, wy = d.to_window(bounds, 2.0 * column - 1.0, 2.0 * row - 1.0)
            got = bmp.pixel(int(wx), int(wy))
            want = d.time_color(times[c])
            d.check(d.near(got, want), f"cell {c} (column {column}, row {row}, {times[c]} s): "
                    f"pixel {got}, expected {want}")
        d.quit_with_escape(session)


CASES = {
    "StartPicture": case_start_picture,
    "Pan": case_pan,
    "ZoomAndReset": case_zoom_and_reset,
    "ZoomFloor": case_zoom_floor,
    "SnapshotFile": case_snapshot_file,
    "SnapshotBlocked": case_snapshot_blocked,
    "KeysThenSnapshotAtOnce": case_keys_then_snapshot_at_once,
    "HugeAndEndlessInputs": case_huge_and_endless_inputs,
    "TwoLevelSample": case_two_level_sample,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--orvik", required=True, type=Path, help="the program to drive")
    parser.add_argument("--scratch", required=True, type=Path, help="directory to work in")
    parser.add_argument("case", choices=sorted(CASES))
    args = parser.parse_args()
    return d.run_case(args.case, lambda: CASES[args.case](args.orvik.resolve(), args.scratch.resolve()))


if __name__ == "__main__":
    sys.exit(main())
