#!/usr/bin/python3
"""Writes the architect's drawings of the two-level sample station, the
way they would come from a design office: ASCII DXF in millimetres, walls
drawn as double lines, layers named in the AIA manner, fare-gate cabinets
and the stair treads as blocks and lines, room names and dimensions. The
concourse is 20 by 7.5 m, the island platform 30 by 5.5 m; dxf2plan turns
both, at 0.5 m cells, into the sample's two levels (see station.toml).

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


def run(msp, layer, x0, y0, x1, y1, treads):
    """A stair or escalator between balustrades, its far end at y0."""
    rect(msp, layer, x0, y0, x1, y1)
    line(msp, WALL, (x0, y1), (x0, y0), (x1, y0), (x1, y1))
    for y in range(y0 + treads, y1, treads):
        line(msp, TREADS, (x0, y), (x1, y))


def concourse(folder):
    doc, msp = new_drawing()
    # Outer walls, double lines, open to the street stairs at both top corners.
    line(msp, WALL, (2000, 7500), (18000, 7500))
    line(msp, WALL, (2000, 7500 + THICK), (18000, 7500 + THICK))
    line(msp, WALL, (2000, 7500), (2000, 7500 + THICK))
    line(msp, WALL, (18000, 7500), (18000, 7500 + THICK))
    line(msp, WALL, (0, 7500 + THICK), (0, 0), (20000, 0), (20000, 7500 + THICK))
    line(msp, WALL, (-THICK, 7500 + THICK), (-THICK, -THICK), (20000 + THICK, -THICK), (20000 + THICK, 7500 + THICK))
    for x in (0, 18000):
        rect(msp, EXIT, x, 7000, x + 2000, 7500)
    # The line of barriers between the free and the paid area, and the gates in it.
    for x0, x1 in ((0, 4000), (7000, 13000), (16000, 20000)):
        line(msp, WALL, (x0, 4500), (x1, 4500))
    gate = doc.blocks.new("GATE-CABINET")
    gate.add_lwpolyline([(-60, 0), (60, 0), (60, 500), (-60, 500)], close=True)
    for x0 in (4000, 13000):
        rect(msp, GATE, x0, 4500, x0 + 3000, 5000)
        for x in range(x0 + 500, x0 + 3000, 500):
            msp.add_blockref("GATE-CABINET", (x, 4500), dxfattribs={"layer": EQUIPMENT})
    # Stairs and escalators down to the platform.
    run(msp, STAIR, 2000, 1500, 3500, 3500, 250)
    run(msp, ESCALATOR, 6000, 1500, 7000, 3500, 400)
    run(msp, ESCALATOR, 13000, 1500, 14000, 3500, 400)
    run(msp, STAIR, 16500, 1500, 18000, 3500, 250)
    for text, x, y in (("CONCOURSE - FREE AREA", 7000, 6200), ("PAID AREA", 8500, 500),
                       ("STAIR 1", 2000, 3800), ("ESC 3 UP", 5700, 3800), ("ESC 4 DOWN", 12700, 3800),
                       ("STAIR 2", 16500, 3800), ("TO STREET", 200, 8300), ("TO STREET", 18200, 8300)):
        msp.add_text(text, height=250, dxfattribs={"layer": TEXT, "insert": (x, y)})
    msp.add_linear_dim(base=(0, -1200), p1=(0, -THICK), p2=(20000, -THICK), dxfattribs={"layer": DIMS}).render()
    msp.add_linear_dim(base=(21500, 0), p1=(20000 + THICK, 0), p2=(20000 + THICK, 7500), angle=90,
                       dxfattribs={"layer": DIMS}).render()
    doc.saveas(folder / "concourse.dxf")


def platform(folder):
    doc, msp = new_drawing()
    rect(msp, PLATFORM, 0, 0, 30000, 5500)
    # The stairs and escalators arrive from above; their far ends face the top.
    for layer, x0, x1, treads in ((STAIR, 7000, 8500, 250), (ESCALATOR, 11000, 12000, 400),
                                  (ESCALATOR, 18000, 19000, 400), (STAIR, 21500, 23000, 250)):
        rect(msp, layer, x0, 2500, x1, 4500)
        line(msp, WALL, (x0, 2500), (x0, 4500), (x1, 4500), (x1, 2500))
        for y in range(2500 + treads, 4500, treads):
            line(msp, TREADS, (x0, y), (x1, y))
    for y in (-1500, -2935, 5500 + 1500, 5500 + 2935):  # rails, 1435 mm apart
        line(msp, TRACK, (-2000, y), (32000, y))
    msp.add_text("ISLAND PLATFORM", height=300, dxfattribs={"layer": TEXT, "insert": (12500, 1000)})
    msp.add_linear_dim(base=(0, -4000), p1=(0, 0), p2=(30000, 0), dxfattribs={"layer": DIMS}).render()
    doc.saveas(folder / "platform.dxf")


def picture(out):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from ezdxf.addons.drawing import Frontend, RenderContext
    from ezdxf.addons.drawing.matplotlib import MatplotlibBackend

    folder = Path(__file__).resolve().parent
    fig, axes = plt.subplots(1, 2, figsize=(16, 3.3), gridspec_kw={"width_ratios": [20, 30]})
    for ax, name in zip(axes, ("concourse", "platform")):
        doc = ezdxf.readfile(folder / (name + ".dxf"))
        ax.set_facecolor("black")
        Frontend(RenderContext(doc), MatplotlibBackend(ax)).draw_layout(doc.modelspace())
        ax.set_title(name + ".dxf", color="white")
        ax.set_aspect("equal")
    fig.patch.set_facecolor("black")
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
