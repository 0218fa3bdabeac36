#!/usr/bin/python3
"""bench/geodesic_script.py, the numpy/scipy geodesic times that scripts/bench
sets beside orvik-check: known answers on small plans, its sight test
against a second one worked on the plan's characters, and its times against
orvik-check's. Needs Debian's python3-numpy and python3-scipy, which
scripts/deps.sh installs with the test packages; without them it fails and
names the packages.

    geodesic_script_test.py --plan2mesh PROGRAM --check PROGRAM --scratch DIR"""

import argparse
import math
import random
import subprocess
import sys
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "bench"))
try:
    import numpy as np
    import scipy  # noqa: F401
except ImportError:
    print("numpy or scipy missing: install python3-numpy and python3-scipy "
          "(scripts/deps.sh does)", file=sys.stderr)
    sys.exit(1)
import geodesic_script as g  # noqa: E402
import map_script  # noqa: E402

ARGS = None  # from the command line
EXACT = 1e-9  # s; the search adds square roots of whole numbers


class PlanFiles:
    """A plan text through plan2mesh: the two files and the table read back."""

    def __init__(self, name, text):
        self.dir = Path(ARGS.scratch) / name
        self.dir.mkdir(parents=True, exist_ok=True)
        (self.dir / "station.plan").write_text(text)
        subprocess.run([ARGS.plan2mesh, self.dir / "station.plan", self.dir / "Mesh.csv",
                        self.dir / "ExitGrid.dat"], check=True, capture_output=True)
        self.mesh = map_script.read_mesh(self.dir / "Mesh.csv")
        self.exits = [int(e) for e in map_script.read_exits(self.dir / "ExitGrid.dat")]
        self.floor = g.Floor(self.mesh, 33414)
        self.lines = text.split("\n")[:-1]  # top line first

    def slot(self, column, row):
        """The cell number at grid column and row (from 1, rows from the bottom)."""
        at = (self.mesh[:, 5] == column) & (self.mesh[:, 6] == row)
        return int(self.mesh[at, 0][0])

    def times(self, method):
        return method(self.floor, self.exits)

    def check_times(self):
        """orvik-check's geodesic_seconds by cell number."""
        out = self.dir / "check.csv"
        done = subprocess.run([ARGS.check, self.dir / "Mesh.csv", self.dir / "ExitGrid.dat",
                               "--geodesic", "--times", out], capture_output=True)
        # Status 1: an exit that no move leads out of, which random plans have.
        if done.returncode not in (0, 1):
            raise AssertionError(f"orvik-check: status {done.returncode}: {done.stderr!r}")
        return g.read_times(out, "geodesic_seconds")


def room(columns, rows, fill="."):
    return [[fill] * columns for _ in range(rows)]


def put(drawing, column, row, char):
    drawing[len(drawing) - row][column - 1] = char


def text(drawing):
    return "".join("".join(line) + "\n" for line in drawing)


def centre(column, row):
    return 2 * column - 1, 2 * row - 1


def walk_time(a, b):
    return math.dist(a, b) * g.PACE


class KnownAnswers(unittest.TestCase):
    def test_open_room_is_the_straight_line(self):
        d = room(23, 17)
        put(d, 7, 5, "E")
        p = PlanFiles("open", text(d))
        exit_point = centre(7, 5)
        for method in (g.any_angle_times, g.exact_times):
            t = p.times(method)
            self.assertEqual(t[p.slot(8, 5)], 4.0)
            for column in range(1, 24):
                for row in range(1, 18):
                    self.assertAlmostEqual(t[p.slot(column, row)],
                                           walk_time(centre(column, row), exit_point),
                                           delta=EXACT, msg=(method.__name__, column, row))
        # 16 directions: never short, at most 2.7 % long in the open.
        t = p.times(g.grid16_times)
        for column in range(1, 24):
            for row in range(1, 18):
                exact = walk_time(centre(column, row), exit_point)
                self.assertGreaterEqual(t[p.slot(column, row)], exact - EXACT)
                self.assertLessEqual(t[p.slot(column, row)], exact * 1.0275 + EXACT)

    def test_thin_wall_is_passed_round_its_end(self):
        # A wall on the left sides of column 8, rows 1 to 5: on x = 14 up to
        # its end at (14, 10). The exit's centre is (5, 3).
        d = room(15, 9)
        for row in range(1, 6):
            put(d, 8, row, "|")
        put(d, 3, 2, "E")
        p = PlanFiles("wall", text(d))
        exit_point, end = (5, 3), (14, 10)
        for method in (g.any_angle_times, g.exact_times):
            t = p.times(method)
            self.assertAlmostEqual(t[p.slot(9, 1)], 2 * (math.sqrt(90) + math.sqrt(130)), delta=EXACT)
            behind = 0
            for column in range(1, 16):
                for row in range(1, 10):
                    x, y = centre(column, row)
                    blocked = x > end[0] and 3 + (y - 3) * (end[0] - 5) / (x - 5) < end[1]
                    behind += blocked
                    expected = (walk_time((x, y), end) + walk_time(end, exit_point) if blocked
                                else walk_time((x, y), exit_point))
                    self.assertAlmostEqual(t[p.slot(column, row)], expected, delta=EXACT,
                                           msg=(method.__name__, column, row))
            self.assertGreaterEqual(behind, 20)

    def test_straight_through_a_vertex_needs_an_open_l_route(self):
        d = room(3, 3)
        put(d, 1, 1, "E")
        put(d, 2, 1, "|")  # closes one L-route round vertex (2, 2)
        p = PlanFiles("vertex1", text(d))
        for method in (g.any_angle_times, g.exact_times):
            self.assertAlmostEqual(p.times(method)[p.slot(3, 3)], 2 * math.sqrt(32), delta=EXACT)
        # Walls on both sides of (2, 2) that meet at the vertex: round (4, 2).
        put(d, 2, 1, ".")
        put(d, 2, 2, "L")
        p = PlanFiles("vertex2", text(d))
        for method in (g.any_angle_times, g.exact_times):
            self.assertAlmostEqual(p.times(method)[p.slot(3, 3)], 4 * math.sqrt(10), delta=EXACT)
        # Cells that touch only at a corner are not joined.
        p = PlanFiles("vertex3", "  .\n . \nE  \n")
        for method in (g.any_angle_times, g.exact_times, g.grid16_times):
            t = p.times(method)
            self.assertEqual(t[p.slot(1, 1)], 0.0)
            self.assertTrue(math.isnan(t[p.slot(2, 2)]))
            self.assertTrue(math.isnan(t[p.slot(3, 3)]))


    def test_cluttered_plan_against_a_search_over_every_cell_corner(self):
        # A random plan on which orvik-check's time of cell (5, 7) is 5 %
        # long: 18.06 s. The exact time, 17.153 s, is that of a search over
        # the exits and all four corners of every floor cell with the sight
        # test of PlanGrid below.
        plan = (".L... .._L.._.||\n._..|._.|L. .L| \n. .L|..__...|.. \n... ... _ L.. ..\n"
                "..|...|.  .....L\n..L..  .E  ... .\n. .L.._.. ... ..\n..  ....E....._.\n"
                ".. .|.. ... ..._\n. ....L..... ..|\n..|_L.L.....E._.\n................\n")
        p = PlanFiles("cluttered", plan)
        exact = p.times(g.exact_times)[p.slot(5, 7)]
        self.assertAlmostEqual(exact, 17.15298244508295, delta=1e-9)
        self.assertGreaterEqual(p.check_times()[p.slot(5, 7)], exact - g.APART)
        self.assertGreaterEqual(p.times(g.any_angle_times)[p.slot(5, 7)], exact - EXACT)


def mesh_of(records):
    """A mesh table from records (cell, right, bottom, left, top, column,
    row, left wall, bottom wall)."""
    return np.array(records, dtype=np.int64).reshape(-1, 9)


class MoveRule(unittest.TestCase):
    """Sides as the walk sees them, on meshes written by hand."""

    def corridor_times(self, records, exits=(1,)):
        return g.any_angle_times(g.Floor(mesh_of(records), 33414), list(exits))

    def test_open_corridor(self):
        t = self.corridor_times([[1, 2, -1, -1, -1, 1, 1, 0, 0], [2, 3, -1, 1, -1, 2, 1, 0, 0],
                                 [3, -1, -1, 2, -1, 3, 1, 0, 0]])
        self.assertEqual(list(t[1:4]), [0.0, 4.0, 8.0])

    def test_a_wall_field_on_one_side_closes_it(self):
        t = self.corridor_times([[1, 2, -1, -1, -1, 1, 1, 0, 0], [2, 3, -1, 1, -1, 2, 1, 0, 0],
                                 [3, -1, -1, 2, -1, 3, 1, 1, 0]])
        self.assertEqual(t[2], 4.0)
        self.assertTrue(math.isnan(t[3]))

    def test_a_neighbour_outside_the_table_closes_the_side(self):
        # Cell 2 names 40000 on its right: its own side is closed, though
        # cell 3 names 2 back.
        t = self.corridor_times([[1, 2, -1, -1, -1, 1, 1, 0, 0], [2, 40000, -1, 1, -1, 2, 1, 0, 0],
                                 [3, -1, -1, 2, -1, 3, 1, 0, 0]])
        self.assertTrue(math.isnan(t[3]))

    def test_a_neighbour_not_beside_on_the_grid_is_not_joined(self):
        # Cells 2 and 3 name each other, but 3 lies two columns further.
        t = self.corridor_times([[1, 2, -1, -1, -1, 1, 1, 0, 0], [2, 3, -1, 1, -1, 2, 1, 0, 0],
                                 [3, -1, -1, 2, -1, 4, 1, 0, 0]])
        self.assertTrue(math.isnan(t[3]))

    def test_no_floor_reaches_nothing(self):
        for records in ([], [[0, -1, -1, -1, -1, 1, 1, 0, 0]]):  # slot 0 is never floor
            floor = g.Floor(mesh_of(records), 33414)
            for method in (g.any_angle_times, g.grid16_times, g.exact_times):
                self.assertTrue(np.isnan(method(floor, [0, 1])).all())

    def test_a_neighbour_without_a_record_is_not_floor(self):
        t = self.corridor_times([[1, 2, -1, -1, -1, 1, 1, 0, 0], [2, 3, -1, 1, -1, 2, 1, 0, 0]],
                                exits=(1, 3, 0, -5, 99999))
        self.assertEqual(list(t[1:3]), [0.0, 4.0])
        self.assertTrue(math.isnan(t[3]))


# A second sight test, worked on the plan's characters: the segment split
# wherever x or y is even; each piece must lie in a floor cell and pass into
# the next across an open side, or through a vertex by an open L-route.
LEFT_WALL = set("|LPQSZDB")
BOTTOM_WALL = set("_LqQzZbB")


class PlanGrid:
    def __init__(self, lines):
        self.lines = lines

    def char(self, c, r):  # c, r from 0 at the lower left
        line = len(self.lines) - 1 - r
        if c < 0 or r < 0 or line < 0 or c >= len(self.lines[line]):
            return " "
        return self.lines[line][c]

    def floor(self, c, r):
        return self.char(c, r) not in " ="

    def open(self, c, r, dc, dr):
        if not self.floor(c, r) or not self.floor(c + dc, r + dr):
            return False
        ch = self.char(max(c, c + dc), max(r, r + dr))
        return ch not in (LEFT_WALL if dc else BOTTOM_WALL)

    def passes(self, c, r, dc, dr):
        if dc == 0 or dr == 0:
            return self.open(c, r, dc, dr)
        return ((self.open(c, r, dc, 0) and self.open(c + dc, r, 0, dr))
                or (self.open(c, r, 0, dr) and self.open(c, r + dr, dc, 0)))

    def sees(self, a, b):
        """a, b: (x, y, c, r), a point in map units and the cell it is taken in."""
        (ax, ay, ac, ar), (bx, by, bc, br) = a, b
        dx, dy = bx - ax, by - ay
        if dx == 0 and dy == 0:
            return (ac, ar) == (bc, br) or (abs(ac - bc) + abs(ar - br) == 1
                                            and self.open(ac, ar, bc - ac, br - ar))
        if (dx == 0 and ax % 2 == 0) or (dy == 0 and ay % 2 == 0):
            sx, sy = (dx > 0) - (dx < 0), (dy > 0) - (dy < 0)
            inside = lambda x, y: 2 * ac <= x <= 2 * ac + 2 and 2 * ar <= y <= 2 * ar + 2
            if not inside(ax, ay) or not inside(ax + 2 * sx, ay + 2 * sy):
                return False
            c, r = ac, ar
            for _ in range((abs(dx) + abs(dy)) // 2 - 1):
                if not self.open(c, r, sx, sy):
                    return False
                c, r = c + sx, r + sy
            return (c, r) == (bc, br)
        cuts = sorted({0.0, 1.0} | {(x - ax) / dx for x in range(min(ax, bx), max(ax, bx) + 1)
                                    if dx and x % 2 == 0}
                      | {(y - ay) / dy for y in range(min(ay, by), max(ay, by) + 1) if dy and y % 2 == 0})
        cuts = [t for t in cuts if 0 <= t <= 1]
        c, r = ac, ar
        for t0, t1 in zip(cuts, cuts[1:]):
            if t1 - t0 < 1e-12:
                continue
            mid = (t0 + t1) / 2
            pc, pr = math.floor((ax + dx * mid) / 2), math.floor((ay + dy * mid) / 2)
            if not self.floor(pc, pr):
                return False
            if t0 == 0 and (pc, pr) != (ac, ar):
                return False
            if (pc, pr) != (c, r) and not self.passes(c, r, pc - c, pr - r):
                return False
            c, r = pc, pr
        return (c, r) == (bc, br)


def random_plan(rng, columns, rows):
    """Floor with thin walls and some rock; the bottom row and the left
    column all floor, so that the script's grid is the plan's."""
    d = room(columns, rows)
    for column in range(2, columns + 1):
        for row in range(2, rows + 1):
            put(d, column, row, rng.choice("......|_L  "))
    for _ in range(3):
        put(d, rng.randint(1, columns), rng.randint(1, rows), "E")
    return d


class AgainstOthers(unittest.TestCase):
    def test_sight_agrees_with_a_test_on_the_plan_characters(self):
        rng = random.Random(7)
        pairs = seen = 0
        for k in range(6):
            p = PlanFiles(f"sight{k}", text(random_plan(rng, 11, 9)))
            cells = p.floor.width * p.floor.height
            point, sight = g._sight_test(p.floor, cells)
            grid = PlanGrid(p.lines)

            def spots(node):
                x, y = point(node)
                members = [node] if node < cells else p.floor.corners[node - cells]
                return [(x, y, m % p.floor.width - 1, m // p.floor.width - 1) for m in members]

            nodes = [int(i) for i in np.flatnonzero(p.floor.cell_slot)]
            nodes += [cells + v for v in p.floor.corners]
            for a in nodes:
                for b in nodes:
                    if a == b:
                        continue
                    expected = any(grid.sees(sa, sb) for sa in spots(a) for sb in spots(b))
                    self.assertEqual(sight(a, b), expected, msg=(k, point(a), point(b)))
                    pairs += 1
                    seen += expected
        self.assertGreater(seen, pairs // 10)  # the plans are not all walls

    def test_times_agree_with_orvik_check(self):
        rng = random.Random(11)
        for k in range(8):
            p = PlanFiles(f"random{k}", text(random_plan(rng, 16, 12)))
            check = p.check_times()
            exact = p.times(g.exact_times)
            search = p.times(g.any_angle_times)
            for slot, theirs in check.items():
                mine, best = search[slot], exact[slot]
                self.assertEqual(math.isnan(mine), theirs is None, msg=(k, slot))
                self.assertEqual(math.isnan(best), theirs is None, msg=(k, slot))
                if theirs is None:
                    continue
                # Both searches give real paths: never below the exact time.
                self.assertLessEqual(best, theirs + g.APART, msg=(k, slot))
                self.assertLessEqual(best, mine + EXACT, msg=(k, slot))
                self.assertLessEqual(mine, best * 1.05 + EXACT, msg=(k, slot))

    def test_comparison_lines(self):
        lines = g.compare({1: 0.0, 2: 10.0, 3: 20.5, 4: None}, {1: 0.0, 2: 10.01, 3: 20.0, 4: 3.0})
        self.assertEqual(lines, [
            "cells compared 3, reached by one only 1",
            "absolute difference, s: max 0.500 median 0.010 99th percentile 0.490",
            "relative difference: largest 2.5000%",
            "cells more than 0.015 s apart 1: 1 longer here, 0 shorter here",
        ])


class MapScript(unittest.TestCase):
    def test_importing_it_keeps_its_table_size(self):
        self.assertEqual(map_script.MAX_CELL_ID, 33414)
        d = room(4, 1)
        put(d, 1, 1, "E")
        p = PlanFiles("corridor", text(d))
        t = map_script.walking_times(p.mesh, np.array(p.exits))
        self.assertEqual([t[p.slot(c, 1)] for c in range(1, 5)], [0.0, 4.0, 8.0, 12.0])


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--plan2mesh", required=True)
    parser.add_argument("--check", required=True)
    parser.add_argument("--scratch", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
