#!/usr/bin/python3
"""dxf2plan and img2plan on drawings and pictures made here: DXF files
written with ezdxf (Debian's python3-ezdxf, so they are real DXF, not this
project's idea of it) and PNG pictures written byte by byte. Plans are
checked against plans drawn by hand or cell by cell against the geometry,
and one room is taken on through plan2mesh and orvik-check to walking
times worked out by hand. Without ezdxf it exits with 77 (skipped).

    plan_import_cases.py --dxf2plan P --img2plan P --plan2mesh P --check P --scratch DIR"""

import argparse
import csv
import math
import re
import struct
import subprocess
import sys
import unittest
import zlib
from pathlib import Path

sys.dont_write_bytecode = True
try:
    import ezdxf
except ImportError:
    print("ezdxf missing: skipped")
    sys.exit(77)

ARGS = None
CELL = 0.5

# The room of most cases: 3 by 2 m inside, a 0.5 m door gap in the bottom
# wall from x = 1 to 1.5, the exit drawn across it. At 0.5 m cells the door
# cell lies just below the wall line, column 3 of the plan.
ROOM_PLAN = ["......",
             "......",
             "......",
             "......",
             "  E"]


def scratch(name):
    path = Path(ARGS.scratch) / name
    path.parent.mkdir(parents=True, exist_ok=True)
    return path


def new_drawing(units=6):
    doc = ezdxf.new("R2010")
    doc.header["$INSUNITS"] = units
    return doc, doc.modelspace()


def room_walls(msp, s=1.0, layer="A-WALL"):
    """The room's walls as lines, coordinates times s."""
    a = {"layer": layer}
    for p, q in [((0, 0), (1, 0)), ((1.5, 0), (3, 0)), ((3, 0), (3, 2)), ((3, 2), (0, 2)), ((0, 2), (0, 0))]:
        msp.add_line((p[0] * s, p[1] * s), (q[0] * s, q[1] * s), dxfattribs=a)


def room_exit(msp, s=1.0, layer="A-EXIT", y=0.0):
    msp.add_line((1.0 * s, y * s), (1.5 * s, y * s), dxfattribs={"layer": layer})


def run_dxf2plan(doc, name, *options):
    dxf = scratch(name + ".dxf")
    if doc is not None:
        doc.saveas(dxf)
    plan = scratch(name + ".plan")
    plan.unlink(missing_ok=True)
    done = subprocess.run([ARGS.dxf2plan, *options, dxf, plan], capture_output=True, text=True)
    return done, plan


def body(plan):
    """The plan's rows, top first, without the comment lines."""
    return [line for line in plan.read_text().split("\n")[:-1] if not line.startswith("#")]


def cells(plan):
    """{(column, row): char} for the plan's cells, columns and rows from 1, rows from the bottom."""
    rows = body(plan)
    return {(c + 1, len(rows) - r): ch for r, line in enumerate(rows) for c, ch in enumerate(line) if ch != " "}


def corner(plan):
    """The drawing point of column 1, row 1's lower-left corner, from the header."""
    m = re.search(r"lower-left corner at \(([-0-9.e]+), ([-0-9.e]+)\)", plan.read_text())
    return float(m.group(1)), float(m.group(2))


class DxfRooms(unittest.TestCase):
    def assert_room(self, doc, name, *options):
        done, plan = run_dxf2plan(doc, name, "--inside", "0.2,0.2", *options)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(body(plan), ROOM_PLAN)
        return done, plan

    def test_walls_as_lines_one_polyline_and_a_double_line_give_one_plan(self):
        doc, msp = new_drawing()
        room_walls(msp)
        room_exit(msp)
        self.assert_room(doc, "room/lines")

        doc, msp = new_drawing()
        msp.add_lwpolyline([(1.5, 0), (3, 0), (3, 2), (0, 2), (0, 0), (1, 0)], dxfattribs={"layer": "A-WALL"})
        room_exit(msp)
        self.assert_room(doc, "room/polyline")

        doc, msp = new_drawing()
        room_walls(msp)
        a = {"layer": "A-WALL"}
        for p, q in [((-0.2, -0.2), (1, -0.2)), ((1.5, -0.2), (3.2, -0.2)), ((3.2, -0.2), (3.2, 2.2)),
                     ((3.2, 2.2), (-0.2, 2.2)), ((-0.2, 2.2), (-0.2, -0.2)), ((1, 0), (1, -0.2)),
                     ((1.5, 0), (1.5, -0.2))]:
            msp.add_line(p, q, dxfattribs=a)
        room_exit(msp, y=-0.1)
        self.assert_room(doc, "room/double")
        # At 0.1 m the 0.2 m wall holds two cells of its own: rock, but for
        # the doorway; all the room's 30 by 20 cells are floor.
        done, plan = run_dxf2plan(None, "room/double", "--inside", "0.2,0.2", "--cell", "0.1")
        self.assertEqual(done.returncode, 0, done.stderr)
        x0, y0 = corner(plan)
        floor = [(x0 + (c - 0.5) * 0.1, y0 + (r - 0.5) * 0.1) for (c, r), ch in cells(plan).items() if ch != "E"]
        self.assertEqual(sum(0 < x < 3 and 0 < y < 2 for x, y in floor), 600)
        self.assertTrue(all((0 < x < 3 and 0 < y < 2) or (1 < x < 1.5 and -0.2 < y < 0) for x, y in floor))

    def test_millimetres_and_metres_give_one_plan(self):
        doc, msp = new_drawing(units=4)
        room_walls(msp, 1000)
        room_exit(msp, 1000)
        done, plan = run_dxf2plan(doc, "room/mm", "--inside", "200,200")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(body(plan), ROOM_PLAN)
        self.assertIn("drawing units mm ($INSUNITS 4)", plan.read_text())
        self.assertEqual(corner(plan), (0.0, -500.0))
        # Without $INSUNITS the units must be given.
        doc.header["$INSUNITS"] = 0
        done, plan = run_dxf2plan(doc, "room/unitless", "--inside", "200,200")
        self.assertEqual(done.returncode, 1)
        self.assertIn("--units", done.stderr)
        self.assertFalse(plan.exists())
        done, plan = run_dxf2plan(None, "room/unitless", "--inside", "200,200", "--units", "mm")
        self.assertEqual(body(plan), ROOM_PLAN)

    def test_an_outline_with_a_gap_names_the_loose_wall_end(self):
        doc, msp = new_drawing()
        room_walls(msp)  # the door gap, with no exit across it
        done, plan = run_dxf2plan(doc, "room/leak", "--inside", "0.2,0.2")
        self.assertEqual(done.returncode, 1)
        self.assertFalse(plan.exists())
        self.assertRegex(done.stderr, r"loose end of a wall at \((1|1\.5), 0\), LINE [0-9A-F]+ on layer A-WALL")

    def test_text_dimensions_and_unknown_entities_are_counted_and_left_out(self):
        doc, msp = new_drawing()
        room_walls(msp)
        room_exit(msp)
        msp.add_text("Ticket hall", dxfattribs={"layer": "A-ANNO"})
        msp.add_mtext("Exit", dxfattribs={"layer": "A-WALL"})
        msp.add_linear_dim(base=(0, 3), p1=(0, 2), p2=(3, 2), dxfattribs={"layer": "A-DIMS"}).render()
        msp.add_mline([(0, 1), (3, 1)], dxfattribs={"layer": "A-WALL"})
        msp.add_3dface([(0, 0, 0), (1, 0, 0), (1, 1, 1)], dxfattribs={"layer": "A-WALL"})
        done, plan = self.assert_room(doc, "room/annotated")
        out = done.stdout
        self.assertRegex(out, r"\n  TEXT +1 +used 0; 1 text\n")
        self.assertRegex(out, r"\n  MTEXT +1 +used 0; 1 text\n")
        self.assertRegex(out, r"\n  DIMENSION +1 +used 0; 1 dimension or leader\n")
        self.assertRegex(out, r"\n  MLINE +1 +used 0; 1 a type this tool does not read\n")
        self.assertRegex(out, r"\n  LINE +6 +used 6\n")
        self.assertRegex(out, r"3DFACE [0-9A-F]+ on layer A-WALL \(line \d+\): 3D entity on a wall layer; left out")
        self.assertRegex(out, r"MTEXT [0-9A-F]+ on layer A-WALL \(line \d+\): text on a wall layer; left out")
        self.assertRegex(out, r"MLINE [0-9A-F]+ on layer A-WALL \(line \d+\): a type this tool does not read")
        self.assertNotRegex(out, r"TEXT [0-9A-F]+ on layer A-ANNO")  # text on its own layer is only counted
        self.assertRegex(out, r"\n  A-ANNO +1 +0 +ignore +no rule names it\n")

    def test_binary_dxf_and_bad_arguments_are_refused(self):
        doc, msp = new_drawing()
        room_walls(msp)
        doc.saveas(scratch("room/binary.dxf"), fmt="bin")
        done, plan = run_dxf2plan(None, "room/binary")
        self.assertEqual(done.returncode, 1)
        self.assertIn("binary DXF", done.stderr)
        self.assertFalse(plan.exists())
        for bad in (["--cell", "0"], ["--units", "yd"], ["--inside", "3"], ["--layer", "WALLS=brick"], ["--bogus"]):
            with self.subTest(bad=bad):
                done, plan = run_dxf2plan(None, "room/binary", *bad)
                self.assertEqual(done.returncode, 2)
                self.assertEqual(done.stderr.split("\n")[0].count("dxf2plan:"), 1)
                self.assertFalse(plan.exists())

    def test_roles_from_a_file_and_the_command_line(self):
        doc, msp = new_drawing()
        room_walls(msp, layer="Walls")
        room_exit(msp, layer="Way out")
        msp.add_line((0, 1), (3, 1), dxfattribs={"layer": "Walls-glass"})  # ignored below
        doc.saveas(scratch("room/named.dxf"))
        roles = scratch("room/roles.toml")
        roles.write_text('builtin = false\n[layers]\nwall = ["walls*"]\nexit = "Way out"\n')
        done, plan = run_dxf2plan(None, "room/named", "--inside", "0.2,0.2", "--roles", str(roles),
                                  "--layer", "Walls-glass=ignore")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(body(plan), ROOM_PLAN)
        self.assertRegex(done.stdout, r"Walls-glass +1 +0 +ignore +Walls-glass \(--layer\)")
        roles.write_text('[layers]\nbrick = ["Walls"]\n')
        done, _ = run_dxf2plan(None, "room/named", "--roles", str(roles))
        self.assertEqual(done.returncode, 2)
        self.assertIn("brick: not a role", done.stderr)


class DxfShapes(unittest.TestCase):
    def test_a_diagonal_wall_leaves_no_gap(self):
        # An L-shaped hall; a diagonal wall from the bottom wall (4.1, 0) to
        # the right wall (6, 1.9) cuts off its corner. Every cell whose
        # centre lies in the hall above the diagonal is floor, every other
        # rock: the staircase of closed sides lets no fill through.
        doc, msp = new_drawing()
        msp.add_lwpolyline([(0, 0), (6, 0), (6, 3), (3, 3), (3, 6), (0, 6)], close=True, dxfattribs={"layer": "A-WALL"})
        msp.add_line((4.1, 0), (6, 1.9), dxfattribs={"layer": "A-WALL"})
        msp.add_point((0.25, 5.75), dxfattribs={"layer": "A-EXIT"})
        done, plan = run_dxf2plan(doc, "hall/diagonal", "--inside", "1,1")
        self.assertEqual(done.returncode, 0, done.stderr)
        x0, y0 = corner(plan)
        got = {(round(x0 + (c - 0.5) * CELL, 2), round(y0 + (r - 0.5) * CELL, 2)): ch for (c, r), ch in cells(plan).items()}
        want = {}
        for i in range(12):
            for j in range(12):
                x, y = 0.25 + 0.5 * i, 0.25 + 0.5 * j
                if (x < 3 or y < 3) and y > x - 4.1:
                    want[(x, y)] = "E" if (x, y) == (0.25, 5.75) else "."
        self.assertEqual({p: "E" if ch == "E" else "." for p, ch in got.items()}, want)
        # And from inside the cut-off corner the fill stays there.
        done, plan = run_dxf2plan(None, "hall/diagonal", "--inside", "5.5,0.5")
        self.assertEqual(done.returncode, 0, done.stderr)
        x0, y0 = corner(plan)
        self.assertTrue(all(y0 + (r - 0.5) * CELL < x0 + (c - 0.5) * CELL - 4.1 for c, r in cells(plan)))
        self.assertIn("no exit", done.stdout)

    def test_a_door_block_inserted_turned_mirrored_and_scaled(self):
        # The left wall with its door gap is a block drawn at half size along
        # x, with a nested jamb block and a door swing on A-DOOR, inserted
        # turned 90 degrees and scaled by (2, -2): wall from y 0 to 1 and
        # 1.5 to 3. Its lines on layer 0 take the reference's layer A-WALL.
        doc, msp = new_drawing()
        jamb = doc.blocks.new("JAMB")
        jamb.add_line((0, 0), (0.5, 0))
        side = doc.blocks.new("SIDE")
        side.add_blockref("JAMB", (0, 0))
        side.add_line((0.75, 0), (1.5, 0))
        side.add_arc((0.5, 0), 0.25, 0, 90, dxfattribs={"layer": "A-DOOR"})
        msp.add_blockref("SIDE", (0, 0), dxfattribs={"layer": "A-WALL", "rotation": 90, "xscale": 2, "yscale": -2})
        for p, q in [((0, 3), (2, 3)), ((2, 3), (2, 0)), ((2, 0), (0, 0))]:
            msp.add_line(p, q, dxfattribs={"layer": "A-WALL"})
        msp.add_line((0, 1), (0, 1.5), dxfattribs={"layer": "A-EXIT"})
        done, plan = run_dxf2plan(doc, "block/door", "--inside", "1,1")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(body(plan), [" ....", " ....", " ....", "E....", " ....", " ...."])
        self.assertRegex(done.stdout, r"\n  INSERT +1 +used 1\n")

    def test_floor_shapes_of_two_kinds_and_an_exit_shape(self):
        doc, msp = new_drawing()
        msp.add_lwpolyline([(0, 0), (3, 0), (3, 2), (0, 2)], close=True, dxfattribs={"layer": "A-FLOR"})
        hatch = msp.add_hatch(dxfattribs={"layer": "A-FLOR-STRS"})
        hatch.paths.add_polyline_path([(2, 0), (3, 0), (3, 1), (2, 1)], is_closed=True)
        msp.add_lwpolyline([(0, 0), (0.5, 0), (0.5, 0.5), (0, 0.5)], close=True, dxfattribs={"layer": "A-EXIT"})
        msp.add_lwpolyline([(0, 0), (1, 1)], dxfattribs={"layer": "A-FLOR"})  # open: reported
        done, plan = run_dxf2plan(doc, "shapes/kinds")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(body(plan), ["......", "......", "....ss", "E...ss"])
        self.assertRegex(done.stdout, r"LWPOLYLINE [0-9A-F]+ on layer A-FLOR \(line \d+\): a floor shape that is not closed; left out")

    def test_an_exit_narrower_than_a_cell_still_marks_its_cells(self):
        # A 0.2 m strip holds no cell centre at 0.5 m cells: the cells that
        # hold its inside mark the exit, not the cells beyond its edge.
        doc, msp = new_drawing()
        msp.add_lwpolyline([(0, 0), (2, 0), (2, 1), (0, 1)], close=True, dxfattribs={"layer": "A-FLOR"})
        msp.add_lwpolyline([(0.5, 0), (1.5, 0), (1.5, 0.2), (0.5, 0.2)], close=True, dxfattribs={"layer": "A-EXIT"})
        done, plan = run_dxf2plan(doc, "shapes/narrowexit")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(body(plan), ["....", ".EE."])

    def test_a_polyline_bulge_is_an_arc(self):
        # A 2 by 2 m floor whose right side bulges out as a half circle
        # (bulge 1: centre (2, 1), radius 1), at 0.25 m cells.
        doc, msp = new_drawing()
        msp.add_lwpolyline([(0, 0, 0), (2, 0, 1), (2, 2, 0), (0, 2, 0)], format="xyb", close=True,
                           dxfattribs={"layer": "A-FLOR"})
        msp.add_point((0.1, 0.1), dxfattribs={"layer": "A-EXIT"})
        done, plan = run_dxf2plan(doc, "shapes/bulge", "--cell", "0.25")
        self.assertEqual(done.returncode, 0, done.stderr)
        x0, y0 = corner(plan)
        got = {(x0 + (c - 0.5) * 0.25, y0 + (r - 0.5) * 0.25) for c, r in cells(plan)}
        for i in range(-2, 16):
            for j in range(-2, 10):
                x, y = 0.125 + 0.25 * i, 0.125 + 0.25 * j
                inside = (0 < x < 2 and 0 < y < 2) or (x >= 2 and math.hypot(x - 2, y - 1) < 1)
                if abs(math.hypot(x - 2, y - 1) - 1) > 0.02:
                    self.assertEqual(any(abs(x - a) < 1e-6 and abs(y - b) < 1e-6 for a, b in got), inside, (x, y))

    def test_a_wall_beside_an_exit_is_reported_not_dropped(self):
        # The wall at x = 1 stands on the exit cell's left side: the exit is
        # written as 'e', an exit with a left wall, and plan2mesh keeps the
        # wall (field 9 of the exit's record) where a lone 'E' had none.
        doc, msp = new_drawing()
        msp.add_lwpolyline([(0, 0), (2, 0), (2, 1), (0, 1)], close=True, dxfattribs={"layer": "A-FLOR"})
        msp.add_lwpolyline([(1, 0), (1.5, 0), (1.5, 0.5), (1, 0.5)], close=True, dxfattribs={"layer": "A-EXIT"})
        msp.add_line((1, 0), (1, 0.5), dxfattribs={"layer": "A-WALL"})
        done, plan = run_dxf2plan(doc, "shapes/exitwall")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(body(plan), ["....", "..e."])
        self.assertNotIn("leaves that side open", done.stdout)
        d = plan.parent
        subprocess.run([ARGS.plan2mesh, plan, d / "exitwall.csv", d / "exitwall.dat"], check=True, capture_output=True)
        records = [line.split() for line in (d / "exitwall.csv").read_text().splitlines()[3:]]
        # column row kind lw bw of each cell: the exit at column 3, row 1 with its left wall.
        self.assertEqual({(int(r[5]), int(r[6])): (r[7], r[8], r[9]) for r in records if r[7] == "exit"},
                         {(3, 1): ("exit", "1", "0")})
        self.assertEqual((d / "exitwall.dat").read_text().split(), [r[0] for r in records if r[7] == "exit"])


class DxfTimes(unittest.TestCase):
    def test_room_to_times_worked_by_hand(self):
        doc, msp = new_drawing()
        room_walls(msp)
        room_exit(msp)
        done, plan = run_dxf2plan(doc, "times/room", "--inside", "1,1")
        self.assertEqual(done.returncode, 0, done.stderr)
        d = plan.parent
        subprocess.run([ARGS.plan2mesh, plan, d / "Mesh.csv", d / "ExitGrid.dat"], check=True, capture_output=True)
        subprocess.run([ARGS.check, d / "Mesh.csv", d / "ExitGrid.dat", "--times", d / "times.csv"], capture_output=True)
        with open(d / "times.csv") as f:
            got = {(int(r["column"]), int(r["row"])): float(r["seconds"]) for r in csv.DictReader(f)}
        # The exit is column 3, row 1; a floor cell is one move a column
        # away from column 3 and one a row above row 1, 4 s a move.
        want = {(3, 1): 0.0}
        want.update({(c, r): 4.0 * (abs(c - 3) + r - 1) for c in range(1, 7) for r in range(2, 6)})
        self.assertEqual(got, want)


class LargePlans(unittest.TestCase):
    def test_a_concourse_over_the_table_says_what_would_fit(self):
        # 100 by 200 m at 0.5 m: 80,000 cells.
        doc, msp = new_drawing()
        msp.add_lwpolyline([(0, 0), (100, 0), (100, 200), (0, 200)], close=True, dxfattribs={"layer": "A-FLOR"})
        msp.add_lwpolyline([(0, 0), (2, 0), (2, 0.5), (0, 0.5)], close=True, dxfattribs={"layer": "A-EXIT"})
        done, plan = run_dxf2plan(doc, "large/concourse")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(sum(len(line.replace(" ", "")) for line in body(plan)), 80000)
        m = re.search(r"80000 cells, more than the (\d+) cell numbers.*--cell ([0-9.]+)\).*-DORVIK_MAX_CELL_ID=80000", done.stderr)
        self.assertIsNotNone(m, done.stderr)
        done, plan = run_dxf2plan(None, "large/concourse", "--cell", m.group(2))
        cells_then = sum(len(line.replace(" ", "")) for line in body(plan))
        self.assertLessEqual(cells_then, int(m.group(1)))
        self.assertNotIn("Large plan", done.stdout)

    def test_a_large_picture_says_how_far_to_shrink_it(self):
        png = scratch("large/picture.png")
        write_png(png, [[WHITE] * 300 for _ in range(299)] + [[GREEN] * 300])
        done = subprocess.run([ARGS.img2plan, png, scratch("large/picture.plan")], capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stderr)
        m = re.search(r"90000 cells.*Scaled to (\d+) % .*\((\d+) by (\d+) pixels.*-DORVIK_MAX_CELL_ID=90000", done.stderr)
        self.assertIsNotNone(m, done.stderr)
        self.assertLessEqual(int(m.group(2)) * int(m.group(3)), 33414)


BLACK, WHITE, BLUE, GREEN = (0, 0, 0, 255), (255, 255, 255, 255), (0, 0, 255, 255), (0, 255, 0, 255)


def write_png(path, rows):
    """An 8-bit RGBA PNG of rows of (r, g, b, a), top row first."""
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    head = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 6, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


class Pictures(unittest.TestCase):
    def convert(self, name, rows, *options):
        png, plan = scratch("pictures/" + name + ".png"), scratch("pictures/" + name + ".plan")
        plan.unlink(missing_ok=True)
        if rows is not None:
            write_png(png, rows)
        return subprocess.run([ARGS.img2plan, *options, png, plan], capture_output=True, text=True), plan

    def test_a_painted_plan_with_an_edge_and_a_stray_colour(self):
        K, W, B, G = BLACK, WHITE, BLUE, GREEN
        edge = (204, 204, 255, 255)  # a fifth of the way from white to blue: white
        stray = (200, 30, 40, 255)
        clear = (0, 0, 0, 0)
        rows = [[K, K, K, K, K, K],
                [K, W, W, edge, B, K],
                [K, W, W, B, B, stray],
                [K, G, K, K, K, clear]]
        done, plan = self.convert("painted", rows, "--cell", "0.5")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(body(plan), ["", " ...p", " ..pp", " E"])
        out = done.stdout
        self.assertIn("anti-aliased edge, taken as the nearer colour: 1 floor", out)
        self.assertIn("transparent, taken as rock: 1", out)
        self.assertIn("#C81E28: 1 pixels, the first at x 5, y 2", out)
        self.assertIn("0.5 m a cell", plan.read_text())

    def test_a_palette_file_names_other_colours(self):
        grey, red = (128, 128, 128, 255), (250, 0, 0, 255)
        palette = scratch("pictures/palette.toml")
        palette.write_text('tolerance = 10\n[colours]\nrock = "#808080"\nstair = ["#FFFFFF", "#F0F0F0"]\nexit = "#FA0000"\n')
        done, plan = self.convert("palette", [[grey, WHITE, (240, 240, 240, 255), red]], "--palette", str(palette))
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(body(plan), [" ssE"])
        palette.write_text('[colours]\nlava = "#FF0000"\n')
        done, plan = self.convert("palette", None, "--palette", str(palette))
        self.assertEqual(done.returncode, 2)
        self.assertIn("lava: not a kind", done.stderr)

    def test_no_floor_and_no_picture_write_nothing(self):
        done, plan = self.convert("dark", [[BLACK, GREEN]])
        self.assertEqual(done.returncode, 1)
        self.assertFalse(plan.exists())
        scratch("pictures/text.png").write_text("not a picture\n")
        done, plan = self.convert("text", None)
        self.assertEqual(done.returncode, 1)
        self.assertIn("not a PNG", done.stderr)
        self.assertFalse(plan.exists())


REPO = Path(__file__).resolve().parents[1]

# The two-level sample station as drawn by hand (in/two-level/station.plan,
# 0.6 m cells), without its track rows: what the drawings in in/concourse
# must give.
SAMPLE_PLAN = REPO / "in/two-level/station.plan"


def levels_of(plan):
    """{level name: rows} of a plan with levels, comments left out."""
    levels, name = {}, None
    for line in plan.read_text().split("\n")[:-1]:
        if line.startswith("== level "):
            name = line[len("== level "):]
            levels[name] = []
        elif name is not None and not line.startswith("#") and not line.startswith("== "):
            levels[name].append(line)
    return levels


def plan2mesh_reads_levels():
    probe = scratch("levels/probe.plan")
    probe.write_text("== level A\nE.\n")
    return subprocess.run([ARGS.plan2mesh, probe, probe.with_suffix(".csv"), probe.with_suffix(".dat")],
                          capture_output=True).returncode == 0


class Levels(unittest.TestCase):
    def test_the_sample_stations_drawings_give_its_two_levels(self):
        plan = scratch("levels/station.plan")
        done = subprocess.run([ARGS.dxf2plan, "--cell", "0.6", "--roles", REPO / "in/concourse/station.toml", plan],
                              capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stderr)
        text = plan.read_text()
        self.assertIn("== escalator 3 up\n== escalator 4 down\n", text)
        drawn = {k: [r.replace("=", " ").rstrip() for r in rows] for k, rows in levels_of(SAMPLE_PLAN).items()}
        want = {k: [r for r in rows if r] for k, rows in drawn.items()}
        self.assertEqual([len(rows) for rows in want.values()], [30, 18])
        if "kind escalator are written as floor" in done.stdout:
            # A plan2mesh without escalators and gates: plain floor, walls kept.
            want = {k: [r.replace("M", "|").replace("m", ".").replace("n", ".") for r in rows] for k, rows in want.items()}
        self.assertEqual(levels_of(plan), want)
        self.assertRegex(done.stdout, r"join 3: escalator 2 cells wide, Concourse \(left end\) to Platform \(right end\), up")
        self.assertNotIn("no exit", done.stdout)  # the platform's way out is up the stairs
        if plan2mesh_reads_levels():
            made = subprocess.run([ARGS.plan2mesh, plan, plan.with_suffix(".csv"), plan.with_suffix(".dat")],
                                  capture_output=True, text=True)
            self.assertEqual(made.returncode, 0, made.stderr)


    def write_levels(self, upper, lower, joins):
        write_png(scratch("levels/up.png"), upper)
        write_png(scratch("levels/down.png"), lower)
        toml = scratch("levels/pictures.toml")
        toml.write_text('[[level]]\nname = "Upper"\npicture = "up.png"\n[[level]]\nname = "Lower"\npicture = "down.png"\n' + joins)
        plan = scratch("levels/pictures.plan")
        plan.unlink(missing_ok=True)
        return subprocess.run([ARGS.img2plan, "--levels", toml, plan], capture_output=True, text=True), plan

    def test_pictures_of_two_levels_joined_by_a_stair(self):
        K, W, G, Y, B = BLACK, WHITE, GREEN, (255, 255, 0, 255), BLUE
        # The upper stair runs down to the picture's bottom edge: its label
        # row is added below it.
        upper = [[G, G, W, W, W], [W, W, W, W, W], [W, Y, Y, W, W], [W, Y, Y, W, W]]
        lower = [[B, B, B, B, B], [B, B, B, B, B], [B, Y, Y, B, B], [B, Y, Y, B, B], [B, B, B, B, B]]
        join = ('[[join]]\nlabel = "7"\nends = [{ level = "Upper", at = [1.5, 3], side = "bottom" },'
                ' { level = "Lower", at = [2, 2.9], side = "top" }]\n')
        done, plan = self.write_levels(upper, lower, join)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(levels_of(plan), {"Upper": ["EE...", ".....", ".ss..", ".ss..", " 77"],
                                           "Lower": ["ppppp", "p77pp", "psspp", "psspp", "ppppp"]})
        self.assertIn("join 7: stair 2 cells wide, Upper (bottom end) to Lower (top end); 2 cells beyond", done.stdout)
        if plan2mesh_reads_levels():
            made = subprocess.run([ARGS.plan2mesh, plan, plan.with_suffix(".csv"), plan.with_suffix(".dat")],
                                  capture_output=True, text=True)
            self.assertEqual(made.returncode, 0, made.stderr)
        # Ends of other widths, a point off the stair, and ends that do not
        # face each other write nothing.
        wide = [[B, B, B, B, B], [B, Y, Y, Y, B], [B, B, B, B, B]]
        done, plan = self.write_levels(upper, wide, join.replace("at = [2, 2.9]", "at = [2, 1]"))
        self.assertEqual(done.returncode, 1)
        self.assertIn("its ends differ (stair 2 cells wide, stair 3)", done.stderr)
        self.assertFalse(plan.exists())
        done, plan = self.write_levels(upper, lower, join.replace("at = [1.5, 3]", "at = [4, 0]"))
        self.assertEqual(done.returncode, 1)
        self.assertIn("join 7, level Upper, at (4, 0): the point lies on no stair or escalator cell", done.stderr)
        done, plan = self.write_levels(upper, lower, join.replace('side = "top"', 'side = "bottom"'))
        self.assertEqual(done.returncode, 2)
        self.assertIn("face each other", done.stderr)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ("--dxf2plan", "--img2plan", "--plan2mesh", "--check", "--scratch"):
        parser.add_argument(name, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
