#!/usr/bin/python3
"""Inputs for the "import" section of scripts/bench: a drawing of a
concourse 100 by 200 m in millimetres as an architect would send it
(double outer walls, 312 columns, partitions, 800 doors as blocks, room
names, a floor hatch and exits), and a painted picture of 1,000 by 1,000
pixels. Needs Debian's python3-ezdxf.

    import_inputs.py FOLDER     writes FOLDER/concourse.dxf, FOLDER/painted.png"""

import struct
import sys
import zlib
from pathlib import Path

import ezdxf


def drawing(path):
    doc = ezdxf.new("R2010")
    doc.header["$INSUNITS"] = 4
    msp = doc.modelspace()
    w, h, t = 100000, 200000, 300
    for d, layer in ((0, "A-WALL"), (t, "A-WALL")):
        msp.add_lwpolyline([(-d, -d), (w + d, -d), (w + d, h + d), (-d, h + d)], close=True, dxfattribs={"layer": layer})
    hatch = msp.add_hatch(dxfattribs={"layer": "A-FLOR"})
    hatch.paths.add_polyline_path([(0, 0), (w, 0), (w, h), (0, h)], is_closed=True)
    for x in range(0, w, 20000):
        exit_ = [(x + 8000, 0), (x + 12000, 0), (x + 12000, 500), (x + 8000, 500)]
        msp.add_lwpolyline(exit_, close=True, dxfattribs={"layer": "A-FLOR-EXIT"})
    for i in range(12):
        for j in range(26):
            msp.add_circle((4000 + 8000 * i, 4000 + 8000 * j), 400, dxfattribs={"layer": "S-COLS"})
    door = doc.blocks.new("DOOR")
    door.add_line((0, 0), (900, 0))
    door.add_arc((0, 0), 900, 0, 90)
    for k in range(800):
        x, y = 2000 + (k % 40) * 2400, 150000 + (k // 40) * 2400
        msp.add_line((x, y), (x + 1500, y), dxfattribs={"layer": "A-WALL"})
        msp.add_line((x + 1500, y), (x + 1500, y + 1800), dxfattribs={"layer": "A-WALL"})
        msp.add_blockref("DOOR", (x + 1500, y + 1800), dxfattribs={"layer": "A-DOOR", "rotation": 90 * (k % 4)})
        msp.add_text("ROOM %d" % k, height=200, dxfattribs={"layer": "A-ANNO-TEXT", "insert": (x + 200, y + 200)})
    doc.saveas(path)


def picture(path, size=1000):
    rows = []
    for y in range(size):
        row = bytearray(b"\x00")
        for x in range(size):
            edge = x in (0, size - 1) or y in (0, size - 1) or (x % 50 == 0 and y % 200 < 150)
            colour = (0, 255, 0) if y == size - 1 and x % 100 < 10 else (0, 0, 0) if edge else (255, 255, 255)
            row += bytes(colour)
        rows.append(bytes(row))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    head = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(b"".join(rows))) +
                     chunk(b"IEND", b""))


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    drawing(folder / "concourse.dxf")
    picture(folder / "painted.png")


if __name__ == "__main__":
    main()
