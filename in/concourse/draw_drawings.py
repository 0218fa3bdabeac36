#!/usr/bin/python3
"""Writes the architect's drawings of the two-level sample station, the
way they would come from a design office: ASCII DXF in millimetres, walls
drawn as double lines, layers named in the AIA manner, fare-gate cabinets
and the stair treads as blocks and lines, room names and dimensions. The
concourse is 70.8 by 18 m, the island platform 120 by 10.8 m; dxf2plan
turns both, at 0.6 m cells, into the sample's two levels (see station.toml):
    dxf2plan --cell 0.6 --roles station.toml station.plan

    draw_drawings.py [FOLDER]          (default: this script's folder)
    draw_drawings.py --picture OUT.png  both drawings side by side, as a CAD
                                        program shows them (for the README)

Needs Debian's python3-ezdxf (and python3-matplotlib for --picture)."""

import sys
from pathlib import Path

import ezdxf

WALL, FLOOR, STAIR, ESCALATOR, GATE, PLATFORM, EXIT = (
    "A-WALL", "A-FLOR", "A-FLOR-STRS", "A-FLOR-ESCL", "A-FLOR-GATE", "A-FLOR-PLAT", "A-FLOR-EXIT")
TREADS, EQUIPMENT, TRACK, TEXT, DIMS = "A-FLOR-TRED", "A-EQPM", "A-TRAK", "A-ANNO-TEXT", "A-ANNO-DIMS"
COLOURS = {WALL: 7, FLOOR: 8, STAIR: 3, ESCALATOR: 4, GATE: 6, PLATFORM: 5, EXIT: 1,
           TREADS: 9, EQUIPMENT: 2, TRACK: 8, TEXT: 7, DIMS: 1}
THICK = 300  # mm, outer walls
CELL = 600   # mm, the plan's cell: stairs 4 cells wide, escalators 2, gate aisles 1


def new_drawing():
    doc = ezdxf.new("R2010", setup=True)
    doc.header["$INSUNITS"] = 4  # millimetres
    for name, colour in COLOURS.items():
        doc.layers.add(name, color=colour)
    return doc, doc.modelspace()


def rect(msp, layer, x0, y0, x1, y1, hatch=True):
    """A closed outline, or a solid hatch, on `layer`."""
    if hatch:
        h = msp.add_hatch(color=256, dxfattribs={"layer": layer})
        h.paths.add_polyline_path([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], is_closed=True)
    else:
        msp.add_lwpolyline([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], close=True, dxfattribs={"layer": layer})


def line(msp, layer, *points):
    msp.add_lwpolyline(points, dxfattribs={"layer": layer})


def run(msp, layer, x0, x1, y0, y1, far, treads):
    """A stair or escalator lengthwise between balustrades, its far end
    (the one that joins the other level) at x = far."""
    rect(msp, layer, x0, y0, x1, y1)
    line(msp, WALL, (x0, y1), (x1, y1))
    line(msp, WALL, (x0, y0), (x1, y0))
    line(msp, WALL, (far, y0), (far, y1))
    for x in range(x0 + treads, x1, treads):
        line(msp, TREADS, (x, y0), (x, y1))


def bank(msp, stair, escalator, y, far):
    """A stair (x0, x1) above an escalator (x0, x1), a wall between them,
    the stair's lowest edge at y."""
    run(msp, STAIR, stair[0], stair[1], y, y + 4 * CELL, far, 300)
    run(msp, ESCALATOR, escalator[0], escalator[1], y - 2 * CELL, y, far, 400)


def concourse(folder):
    doc, msp = new_drawing()
    w, h = 118 * CELL, 30 * CELL
    # Outer walls, double lines, open at the four street entrances.
    north = [(0, 11 * CELL), (17 * CELL, 100 * CELL), (106 * CELL, w)]
    for x0, x1 in north:
        for y in (h, h + THICK):
            line(msp, WALL, (x0, y), (x1, y))
    for x, out in ((0, -THICK), (w, w + THICK)):
        for xx in (x, out):
            line(msp, WALL, (xx, h + THICK), (xx, h - 2 * CELL))
            line(msp, WALL, (xx, h - 8 * CELL), (xx, -THICK if xx == out else 0))
    line(msp, WALL, (0, 0), (w, 0))
    line(msp, WALL, (-THICK, -THICK), (w + THICK, -THICK))
    for x0 in (11, 100):
        rect(msp, EXIT, x0 * CELL, h - CELL, (x0 + 6) * CELL, h)
    for x0 in (0, w - CELL):
        rect(msp, EXIT, x0, h - 8 * CELL, x0 + CELL, h - 2 * CELL)
    # The ticket office, walled in the free area.
    x0, x1, y0, y1 = 53 * CELL, 64 * CELL, h - 6 * CELL, h - 2 * CELL
    rect(msp, WALL, x0, y0, x1, y1, hatch=False)
    rect(msp, WALL, x0 + 150, y0 + 150, x1 - 150, y1 - 150, hatch=False)
    # The barrier between the free and the paid area, and the gates in it:
    # 0.6 m aisles, a cabinet on each line between two.
    barrier = h - 11 * CELL
    for x0, x1 in ((0, 19 * CELL), (27 * CELL, 90 * CELL), (98 * CELL, w)):
        line(msp, WALL, (x0, barrier), (x1, barrier))
    gate = doc.blocks.new("GATE-CABINET")
    gate.add_lwpolyline([(-60, 0), (60, 0), (60, CELL), (-60, CELL)], close=True)
    for first in (19, 90):
        rect(msp, GATE, first * CELL, barrier, (first + 8) * CELL, barrier + CELL)
        for i in range(9):
            x = (first + i) * CELL
            line(msp, WALL, (x, barrier), (x, barrier + CELL))
            msp.add_blockref("GATE-CABINET", (x, barrier), dxfattribs={"layer": EQUIPMENT})
    # The stairs and escalators arrive from the platform below, their far
    # ends facing each other across the paid area.
    bank(msp, (10 * CELL, 20 * CELL), (10 * CELL, 21 * CELL), h - 21 * CELL, 10 * CELL)
    bank(msp, (98 * CELL, 108 * CELL), (97 * CELL, 108 * CELL), h - 21 * CELL, 108 * CELL)
    for text, x, y in (("CONCOURSE - FREE AREA", 20000, 14000), ("TICKETS", 33500, 15500),
                       ("PAID AREA", 32000, 3000), ("STAIR 1", 6000, 8200), ("ESC 3 UP", 6000, 3200),
                       ("STAIR 2", 59000, 8200), ("ESC 4 DOWN", 58400, 3200), ("TO STREET", 6600, 18600),
                       ("TO STREET", 60000, 18600)):
        msp.add_text(text, height=400, dxfattribs={"layer": TEXT, "insert": (x, y)})
    msp.add_linear_dim(base=(0, -2000), p1=(0, -THICK), p2=(w, -THICK), dxfattribs={"layer": DIMS}).render()
    msp.add_linear_dim(base=(w + 2000, 0), p1=(w + THICK, 0), p2=(w + THICK, h), angle=90,
                       dxfattribs={"layer": DIMS}).render()
    doc.saveas(folder / "concourse.dxf")


def platform(folder):
    doc, msp = new_drawing()
    w, h = 200 * CELL, 18 * CELL
    rect(msp, PLATFORM, 0, 0, w, h)
    # The stairs and escalators rise towards the platform's middle; their
    # far ends face the concourse's.
    bank(msp, (40 * CELL, 50 * CELL), (39 * CELL, 50 * CELL), h - 9 * CELL, 50 * CELL)
    bank(msp, (150 * CELL, 160 * CELL), (150 * CELL, 161 * CELL), h - 9 * CELL, 150 * CELL)
    for y in (-1500, -2935, h + 1500, h + 2935):  # rails, 1435 mm apart
        line(msp, TRACK, (-2000, y), (w + 2000, y))
    msp.add_text("ISLAND PLATFORM", height=500, dxfattribs={"layer": TEXT, "insert": (55000, 1500)})
    msp.add_linear_dim(base=(0, -5000), p1=(0, 0), p2=(w, 0), dxfattribs={"layer": DIMS}).render()
    doc.saveas(folder / "platform.dxf")


def picture(out):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from ezdxf.addons.drawing import Frontend, RenderContext
    from ezdxf.addons.drawing.matplotlib import MatplotlibBackend

    folder = Path(__file__).resolve().parent
    # Each drawing's extent in mm, dimensions included, as the two stand
    # one above the other at one scale.
    extents = {"concourse": (-1500, 74500, -3000, 20000), "platform": (-2500, 122500, -6000, 15500)}
    heights = [extents[n][3] - extents[n][2] for n in extents]
    fig, axes = plt.subplots(2, 1, figsize=(16, 16 * sum(heights) / 125000 + 0.8),
                             gridspec_kw={"height_ratios": heights})
    for ax, name in zip(axes, extents):
        doc = ezdxf.readfile(folder / (name + ".dxf"))
        ax.set_facecolor("black")
        Frontend(RenderContext(doc), MatplotlibBackend(ax)).draw_layout(doc.modelspace())
        ax.set_title(name + ".dxf", color="white")
        x0, x1, y0, y1 = extents[name]
        ax.set_xlim(x0, x0 + 125000)
        ax.set_ylim(y0, y1)
        ax.set_aspect("equal")
        ax.axis("off")
    fig.patch.set_facecolor("black")
    fig.set_size_inches(16, 16 * sum(heights) / 125000 + 0.8)  # the drawing backend sets its own
    fig.tight_layout()
    fig.savefig(out, dpi=100, facecolor="black")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--picture":
        picture(sys.argv[2])
        return
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent
    concourse(folder)
    platform(folder)


if __name__ == "__main__":
    main()
