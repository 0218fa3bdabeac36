"""Drives the real orvik program as a user would: a private Xvfb, a scratch
plan, keys sent to the program's own window, and snapshot.bmp read back and
compared with the picture that the view arithmetic predicts.

Window pixels are counted from the window's lower-left corner, as OpenGL and
the BMP rows (bottom row first) count them.
"""

import contextlib
import ctypes
import math
import os
import resource
import select
import shutil
import signal
import struct
import subprocess
import sys
import time
import zlib
from dataclasses import dataclass, field
from pathlib import Path

WINDOW_TITLE = "ORVIK UNDERGROUND"
WINDOW_W, WINDOW_H = 800, 600          # px, the window as created
VIEWPORT_X, VIEWPORT_Y = 5, 65         # px, lower-left corner of the map viewport
VIEWPORT_W, VIEWPORT_H = 790, 530      # px, whatever the window size
HALF_W, HALF_H = 400, 300              # px, half the window: the view keeps its shape
VIEW_MARGIN = 20.0                     # map units added to each extent before fitting
BMP_HEADER = 54                        # bytes before the first pixel

WHITE = (255, 255, 255)
GREY = (204, 204, 204)                 # 0.8 of 255, the panel
BLACK = (0, 0, 0)
LEVEL_TOLERANCE = 3                    # levels; llvmpipe rounds within one or two, and
                                       # neighbouring cells of the plan differ by 6 or more
EDGE_MARGIN = 1.5                      # px around a cell edge where either side may show

START_UP_LIMIT = 15.0                  # s for Xvfb and the window to appear
SNAPSHOT_LIMIT = 10.0                  # s for snapshot.bmp to be complete
FRAME_WAIT = 0.3                       # s after keys: the screen is a frame behind


class Failure(Exception):
    """A check of the running program failed."""


def check(condition, message):
    if not condition:
        raise Failure(message)


# ---------------------------------------------------------------- the plan

@dataclass
class Plan:
    """A small floor: grid columns 1..columns, rows 1..rows (row 1 at the
    bottom), cells missing at `holes`, extra walls, one exit."""
    columns: int
    rows: int
    holes: set
    exit_cell: tuple
    # Closed sides between two cells: ("left", c, r) is the left side of
    # cell (c, r); ("bottom", c, r) its bottom side.
    walls: set
    times: dict = field(default_factory=dict)   # (c, r) -> seconds, None if unreached

    def has_cell(self, c, r):
        return 1 <= c <= self.columns and 1 <= r <= self.rows and (c, r) not in self.holes

    def cell_id(self, c, r):
        return (r - 1) * self.columns + c

    def extent(self):
        """maxX, maxY in map units: the largest upper-right corner."""
        cells = [(c, r) for c in range(1, self.columns + 1) for r in range(1, self.rows + 1)
                 if self.has_cell(c, r)]
        return max(2.0 * c for c, _ in cells), max(2.0 * r for _, r in cells)

    def side_closed(self, c, r, side):
        """Whether cell (c, r) has a wall on `side` (top, left, bottom, right)."""
        step = {"top": (0, 1), "left": (-1, 0), "bottom": (0, -1), "right": (1, 0)}[side]
        other = (c + step[0], r + step[1])
        if not self.has_cell(*other):
            return True
        if side == "left":
            return ("left", c, r) in self.walls
        if side == "bottom":
            return ("bottom", c, r) in self.walls
        if side == "right":
            return ("left", *other) in self.walls
        return ("bottom", *other) in self.walls


def sample_plan():
    """6 by 4 floor, the exit at the upper right. Walls make the way snake
    down: row 4 opens to row 3 only at column 1, row 3 to row 2 only at
    column 6, and a wall stands between columns 3 and 4 in row 2. A hole at
    (2, 2) and two walls shut cells (1, 1) and (1, 2) off from every exit.
    Nothing in it is symmetric, and the times run from 0 to about 80 s."""
    walls = {("bottom", c, 4) for c in range(2, 7)} | {("bottom", c, 3) for c in range(1, 6)}
    walls |= {("left", 4, 2), ("left", 2, 1), ("bottom", 1, 2)}
    plan = Plan(columns=6, rows=4, holes={(2, 2)}, exit_cell=(6, 4), walls=walls)
    plan.times = walking_times(plan)
    return plan


MAX_MOVES_TIME = 448.0  # s, the last time the walk keeps (112 moves)


def walking_times(plan, exits=None):
    """Seconds to the nearest exit (the plan's own, or those given), 4 a
    move up to 448 s, by breadth-first search; None beyond or unreached."""
    exits = [plan.exit_cell] if exits is None else exits
    times = {e: 0.0 for e in exits}
    frontier = list(exits)
    while frontier:
        following = []
        for c, r in frontier:
            for side, (dc, dr) in (("right", (1, 0)), ("top", (0, 1)),
                                   ("left", (-1, 0)), ("bottom", (0, -1))):
                n = (c + dc, r + dr)
                if (not plan.side_closed(c, r, side) and n not in times
                        and times[(c, r)] < MAX_MOVES_TIME):
                    times[n] = times[(c, r)] + 4.0
                    following.append(n)
        frontier = following
    return {(c, r): times.get((c, r)) for c in range(1, plan.columns + 1)
            for r in range(1, plan.rows + 1) if plan.has_cell(c, r)}


# plan2mesh's characters by (exit, left wall, bottom wall).
PLAN_CHARS = {(False, 0, 0): ".", (False, 1, 0): "|", (False, 0, 1): "_", (False, 1, 1): "L",
              (True, 0, 0): "E", (True, 1, 0): "e", (True, 0, 1): "f", (True, 1, 1): "F"}


def plan_text(plan):
    """The plan as a .plan file for plan2mesh: top row first, a hole as rock."""
    rows = []
    for r in range(plan.rows, 0, -1):
        rows.append("".join(
            PLAN_CHARS[((c, r) == plan.exit_cell, int(("left", c, r) in plan.walls),
                        int(("bottom", c, r) in plan.walls))] if plan.has_cell(c, r) else " "
            for c in range(1, plan.columns + 1)))
    return "\n".join(rows) + "\n"


def write_plan(plan, in_dir):
    """Mesh.csv and ExitGrid.dat in the program's formats."""
    in_dir.mkdir(parents=True, exist_ok=True)

    def neighbour(c, r):
        return plan.cell_id(c, r) if plan.has_cell(c, r) else -1

    lines = ["cell,right,bottom,left,top,col,row,kind,lwall,bwall,a,b,c", "# e2e plan", "#"]
    for r in range(1, plan.rows + 1):
        for c in range(1, plan.columns + 1):
            if not plan.has_cell(c, r):
                continue
            left_wall = 1 if ("left", c, r) in plan.walls else 0
            bottom_wall = 1 if ("bottom", c, r) in plan.walls else 0
            lines.append(f"{plan.cell_id(c, r)} {neighbour(c + 1, r)} {neighbour(c, r - 1)} "
                         f"{neighbour(c - 1, r)} {neighbour(c, r + 1)} {c} {r} floor "
                         f"{left_wall} {bottom_wall} x y z")
    (in_dir / "Mesh.csv").write_text("\n".join(lines) + "\n")
    (in_dir / "ExitGrid.dat").write_text(f"{plan.cell_id(*plan.exit_cell)}\n")


# ------------------------------------------------------- colours and view

SCALE = [(0, 0, 205), (0, 80, 255), (0, 240, 110), (90, 255, 30), (255, 255, 0),
         (255, 255, 0), (255, 170, 0), (255, 85, 0), (255, 0, 0), (128, 0, 0)]
SCALE_MAX_TIME = 300.0   # s, the top colour from here on


def time_color(seconds):
    """8-bit colour of a walking time; None (unreached) is the top colour."""
    if seconds is None:
        return SCALE[-1]
    v = min(max(seconds / SCALE_MAX_TIME, 0.0), 1.0)
    segments = len(SCALE) - 1
    i = min(int(v * segments), segments - 1)
    f = v * segments - i
    lo, hi = SCALE[i], SCALE[i + 1]
    return tuple(round(a + (b - a) * f) for a, b in zip(lo, hi))


@dataclass
class View:
    """The keyboard's view state: pan steps and zoom."""
    pan_x: int = 0
    pan_y: int = 0
    zoom: float = 1.0


PAN_KEYS = {"2": (0, -2), "i": (0, -2), "8": (0, 2), "k": (0, 2),
            "4": (-2, 0), "j": (-2, 0), "6": (2, 0), "l": (2, 0)}


def apply_keys(view, keys):
    """The view after `keys` (xdotool key names), as the key table has it."""
    for key in keys:
        if key in PAN_KEYS:
            view.pan_x += PAN_KEYS[key][0]
            view.pan_y += PAN_KEYS[key][1]
        elif key == "W":
            view.zoom += 0.01
        elif key == "w":
            after = view.zoom - 0.01
            view.zoom = after if after > 0.0 else 0.01
        elif key in ("0", "R"):
            view.pan_x, view.pan_y, view.zoom = 0, 0, 1.0
    return view


def describe_keys(keys):
    """Keys for a message: runs of one key as "30 x 'w'"."""
    runs = []
    for key in keys:
        if runs and runs[-1][0] == key:
            runs[-1][1] += 1
        else:
            runs.append([key, 1])
    return ", ".join(f"{n} x {k!r}" if n > 1 else repr(k) for k, n in runs)


def view_bounds(extent, view):
    """left, right, bottom, top of the visible map, in map units."""
    max_x, max_y = extent
    s = max((max_x + VIEW_MARGIN) / VIEWPORT_W, (max_y + VIEW_MARGIN) / VIEWPORT_H)
    hx = s * HALF_W * view.zoom
    hy = s * HALF_H * view.zoom
    return (max_x * 0.5 - hx + view.pan_x * s, max_x * 0.5 + hx + view.pan_x * s,
            max_y * 0.5 - hy + view.pan_y * s, max_y * 0.5 + hy + view.pan_y * s)


def to_window(bounds, x, y):
    """Window coordinates (px, from the lower left) of a map point."""
    left, right, bottom, top = bounds
    return (VIEWPORT_X + (x - left) / (right - left) * VIEWPORT_W,
            VIEWPORT_Y + (y - bottom) / (top - bottom) * VIEWPORT_H)


def to_map(bounds, wx, wy):
    left, right, bottom, top = bounds
    return (left + (wx - VIEWPORT_X) / VIEWPORT_W * (right - left),
            bottom + (wy - VIEWPORT_Y) / VIEWPORT_H * (top - bottom))


# ------------------------------------------------------------- BMP files

@dataclass
class Bmp:
    width: int
    height: int
    fields: dict
    data: bytes          # the whole file

    def pixel(self, x, y):
        """(r, g, b) at window pixel (x, y), counted from the lower left."""
        at = BMP_HEADER + 4 * (y * self.width + x)
        b, g, r = self.data[at:at + 3]
        return r, g, b

    def pixels(self):
        return self.data[BMP_HEADER:]


def read_bmp(path):
    data = path.read_bytes()
    check(len(data) >= BMP_HEADER, f"{path}: {len(data)} bytes, shorter than a BMP header")
    names = ("bfType", "bfSize", "bfReserved1", "bfReserved2", "bfOffBits", "biSize", "biWidth",
             "biHeight", "biPlanes", "biBitCount", "biCompression", "biSizeImage",
             "biXPelsPerMeter", "biYPelsPerMeter", "biClrUsed", "biClrImportant")
    values = struct.unpack("<2sIHHIIiiHHIIiiII", data[:BMP_HEADER])
    fields = dict(zip(names, values))
    return Bmp(fields["biWidth"], fields["biHeight"], fields, data)


def check_bmp_header(bmp, width, height):
    expected = {"bfType": b"BM", "bfSize": BMP_HEADER + 4 * width * height, "bfReserved1": 0,
                "bfReserved2": 0, "bfOffBits": BMP_HEADER, "biSize": 40, "biWidth": width,
                "biHeight": height, "biPlanes": 1, "biBitCount": 32, "biCompression": 0,
                "biSizeImage": 0, "biXPelsPerMeter": 0, "biYPelsPerMeter": 0, "biClrUsed": 0,
                "biClrImportant": 0}
    wrong = {k: (bmp.fields[k], v) for k, v in expected.items() if bmp.fields[k] != v}
    check(not wrong, "BMP header fields (got, expected): " + repr(wrong))
    check(len(bmp.data) == BMP_HEADER + 4 * width * height,
          f"BMP file is {len(bmp.data)} bytes, expected {BMP_HEADER + 4 * width * height}")


def near(got, want, tolerance=LEVEL_TOLERANCE):
    return all(abs(a - b) <= tolerance for a, b in zip(got, want))


# ------------------------------------------------------------- PNG files

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
PNG_CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}   # colour type -> samples a pixel


def read_png(path):
    """(width, height, rows of (r, g, b)) of an 8-bit PNG, every chunk's CRC
    and every row's filter checked."""
    data = path.read_bytes()
    check(data.startswith(PNG_SIGNATURE), f"{path}: no PNG signature")
    at, chunks = len(PNG_SIGNATURE), []
    while at < len(data):
        check(at + 12 <= len(data), f"{path}: truncated chunk at byte {at}")
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        crc, = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        check(zlib.crc32(kind + body) == crc, f"{path}: bad CRC in {kind!r}")
        chunks.append((kind, body))
        at += 12 + length
    check(chunks[0][0] == b"IHDR" and chunks[-1][0] == b"IEND", f"{path}: chunk order")
    width, height, depth, color_type, _, _, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    check(depth == 8 and color_type in PNG_CHANNELS and interlace == 0,
            f"{path}: depth {depth}, colour type {color_type}, interlace {interlace}")
    palette = b"".join(body for kind, body in chunks if kind == b"PLTE")
    raw = zlib.decompress(b"".join(body for kind, body in chunks if kind == b"IDAT"))
    bpp = PNG_CHANNELS[color_type]
    stride = width * bpp
    check(len(raw) == height * (stride + 1), f"{path}: {len(raw)} bytes of image data")
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        check(kind <= 4, f"{path}: filter {kind} in row {y}")
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = previous[i]
            c = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        previous = line

    def rgb(line, x):
        if color_type == 3:
            return tuple(palette[3 * line[x]:3 * line[x] + 3])
        if color_type in (0, 4):
            return (line[x * bpp],) * 3
        return tuple(line[x * bpp:x * bpp + 3])

    return width, height, [[rgb(line, x) for x in range(width)] for line in rows]


# ------------------------------------------------------ picture checks

def pixel_values(bmp, y, x0, x1):
    """The distinct (r, g, b) in row y from x0 up to x1."""
    at = BMP_HEADER + 4 * (y * bmp.width + x0)
    words = set(memoryview(bmp.data)[at:at + 4 * (x1 - x0)].cast("I"))
    return {((w >> 16) & 255, (w >> 8) & 255, w & 255) for w in words}


def cell_spans(bounds, count, low, size, vertical):
    """Runs (from, to, index) of viewport pixels that show cell column (or
    row) `index` in full, leaving out EDGE_MARGIN around every cell edge;
    index is 0 or count + 1 outside the grid."""
    left, right, bottom, top = bounds
    lo, hi = (bottom, top) if vertical else (left, right)
    px_per_unit = size / (hi - lo)
    spans = []
    for w in range(low, low + size):
        m = lo + (w + 0.5 - low) / px_per_unit
        if abs(m - 2.0 * round(m / 2.0)) * px_per_unit < EDGE_MARGIN:
            continue
        index = min(max(math.ceil(m / 2.0), 0), count + 1)
        if spans and spans[-1][1] == w and spans[-1][2] == index:
            spans[-1][1] = w + 1
        else:
            spans.append([w, w + 1, index])
    return spans


def check_map(bmp, plan, view):
    """Every pixel of the map viewport away from cell edges against the
    picture that the view predicts: cell colours, white rock and backdrop."""
    bounds = view_bounds(plan.extent(), view)
    columns = cell_spans(bounds, plan.columns, VIEWPORT_X, VIEWPORT_W, vertical=False)
    rows = cell_spans(bounds, plan.rows, VIEWPORT_Y, VIEWPORT_H, vertical=True)
    bad = []
    for y0, y1, r in rows:
        for x0, x1, c in columns:
            want = time_color(plan.times[(c, r)]) if plan.has_cell(c, r) else WHITE
            for y in range(y0, y1):
                got = [v for v in pixel_values(bmp, y, x0, x1) if not near(v, want)]
                if got:
                    bad.append(((c, r), (x0, x1, y), got[:3], want))
                    break
    check(not bad, f"{len(bad)} cells or white areas differ from the predicted picture for "
          f"{view}; first ((column, row), (x from, x to, y), got, expected): {bad[:4]}")


def edge_midpoints(plan):
    """(x0, y0, x1, y1, closed) for every side of every cell, in map units."""
    edges = []
    for (c, r) in plan.times:
        x, y = 2.0 * c, 2.0 * r
        edges.append((x - 2, y - 2, x - 2, y, plan.side_closed(c, r, "left")))
        edges.append((x - 2, y - 2, x, y - 2, plan.side_closed(c, r, "bottom")))
        if not plan.has_cell(c + 1, r):
            edges.append((x, y - 2, x, y, True))
        if not plan.has_cell(c, r + 1):
            edges.append((x - 2, y, x, y, True))
    return edges


def in_viewport(wx, wy, margin):
    return (VIEWPORT_X + margin <= wx < VIEWPORT_X + VIEWPORT_W - margin
            and VIEWPORT_Y + margin <= wy < VIEWPORT_Y + VIEWPORT_H - margin)


def check_walls(bmp, plan, view):
    """A black line across every closed side, none across an open one,
    tested at the side's middle, or, when that is out of sight, at the
    point of the side nearest the viewport's centre."""
    bounds = view_bounds(plan.extent(), view)
    centre = (VIEWPORT_X + VIEWPORT_W / 2, VIEWPORT_Y + VIEWPORT_H / 2)
    wrong = []
    for x0, y0, x1, y1, closed in edge_midpoints(plan):
        a, b = to_window(bounds, x0, y0), to_window(bounds, x1, y1)
        point = [(a[0] + b[0]) / 2, (a[1] + b[1]) / 2]
        vertical = x0 == x1
        along = 1 if vertical else 0
        if not in_viewport(*point, 3):
            # 4 px off the ends, clear of the lines of the sides meeting there.
            point[along] = min(max(centre[along], a[along] + 4), b[along] - 4)
        if not in_viewport(*point, 3) or b[along] - a[along] < 8:
            continue
        px, py = math.floor(point[0]), math.floor(point[1])
        across = [(px + d, py) if vertical else (px, py + d) for d in (-2, -1, 0, 1, 2)]
        black = any(near(bmp.pixel(x, y), BLACK, 40) for x, y in across)
        if black != closed:
            wrong.append(((x0, y0, x1, y1), "closed" if closed else "open"))
    check(not wrong, f"wall lines wrong for {view} (side, should be): {wrong[:5]}")


LEGEND_BAR = (220, 580, 40, 60)                 # px: x from, x to, y from, y to
LABEL_BOXES = ((196, 266, 12, 44), (521, 650, 12, 44))   # "0 min", "Over 5 min"



def check_panel(bmp):
    """The grey panel around the map, the colour bar and the two labels, all
    at fixed pixels from the lower-left corner, whatever the window size."""
    holes = [(VIEWPORT_X, VIEWPORT_X + VIEWPORT_W, VIEWPORT_Y, VIEWPORT_Y + VIEWPORT_H),
             (LEGEND_BAR[0] - 2, LEGEND_BAR[1] + 2, LEGEND_BAR[2] - 2, LEGEND_BAR[3] + 2),
             *LABEL_BOXES]
    bad = []
    for y in range(bmp.height):
        x = 0
        for x0, x1, y0, y1 in sorted(h for h in holes if h[2] <= y < h[3]):
            if x < x0:
                bad += [(x, x0, y, v) for v in pixel_values(bmp, y, x, x0) if v != GREY]
            x = max(x, x1)
        if x < bmp.width:
            bad += [(x, bmp.width, y, v) for v in pixel_values(bmp, y, x, bmp.width) if v != GREY]
    check(not bad, f"{len(bad)} panel spans are not grey; first (x from, x to, y, got): {bad[:5]}")
    x0, x1, y0, y1 = LEGEND_BAR
    for x in range(x0 + 1, x1 - 1):
        want = time_color((x + 0.5 - x0) / (x1 - x0) * SCALE_MAX_TIME)
        for y in (y0 + 2, (y0 + y1) // 2, y1 - 3):
            got = bmp.pixel(x, y)
            check(near(got, want), f"legend bar at ({x}, {y}) is {got}, expected {want}")
    for box, text in zip(LABEL_BOXES, ("0 min", "Over 5 min")):
        ink = sum(1 for y in range(box[2], box[3]) for x in range(box[0], box[1])
                  if bmp.pixel(x, y) == BLACK)
        check(ink > 4 * len(text), f"label {text!r}: only {ink} black pixels in {box}")


def check_picture(bmp, plan, view):
    check_map(bmp, plan, view)
    check_walls(bmp, plan, view)
    check_panel(bmp)


# ------------------------------------------------ X server and program

@dataclass
class Session:
    run_dir: Path
    env: dict
    xvfb: subprocess.Popen
    program: subprocess.Popen
    window: str
    stderr_path: Path


def die_with_parent():
    """In the child before exec: a SIGTERM when the driver dies, so that a
    test killed by ctest's timeout leaves no X server or program behind."""
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def start_xvfb(log):
    """A private Xvfb on the first free display number, which it reports
    through -displayfd."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp", "-noreset"],
                            pass_fds=(write_end,), stdout=log, stderr=log,
                            preexec_fn=die_with_parent)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + START_UP_LIMIT
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([read_end], [], [], 0.2)
        if ready:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
    os.close(read_end)
    if not number.strip().isdigit():
        xvfb.kill()
        raise Failure("Xvfb reported no display number")
    return xvfb, ":" + number.strip().decode()


def xdotool(env, *args, timeout=10.0, may_fail=False):
    done = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True,
                          timeout=timeout)
    if done.returncode != 0 and not may_fail:
        raise Failure(f"xdotool {' '.join(args)} failed: {done.stderr.strip()}")
    return done.stdout.strip()


def stop(process):
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def limited(address_bytes):
    """A child set-up that dies with the parent and, when address_bytes is
    given, may map no more than that (as `ulimit -v` does)."""
    def set_up():
        die_with_parent()
        if address_bytes is not None:
            resource.setrlimit(resource.RLIMIT_AS, (address_bytes, address_bytes))
    return set_up


@contextlib.contextmanager
def running_program(orvik, scratch, plan, write_in=None, address_bytes=None):
    """orvik in scratch/work/run with the plan in scratch/work/in (or what
    write_in(folder) puts there), in its own X server, its address space
    capped at address_bytes if given; stops both on the way out."""
    if scratch.exists():
        shutil.rmtree(scratch)
    run_dir = scratch / "work" / "run"
    run_dir.mkdir(parents=True)
    if write_in is None:
        write_plan(plan, scratch / "work" / "in")
    else:
        (scratch / "work" / "in").mkdir()
        write_in(scratch / "work" / "in")
    with open(scratch / "xvfb.log", "wb") as xlog:
        xvfb, display = start_xvfb(xlog)
    env = dict(os.environ, DISPLAY=display)
    stderr_path = scratch / "orvik.stderr"
    program = None
    try:
        with open(stderr_path, "wb") as err, open(scratch / "orvik.stdout", "wb") as out:
            program = subprocess.Popen([str(orvik)], cwd=run_dir, env=env, stdout=out, stderr=err,
                                       preexec_fn=limited(address_bytes))
        try:
            found = xdotool(env, "search", "--sync", "--pid", str(program.pid), "--name",
                            WINDOW_TITLE, timeout=START_UP_LIMIT)
        except subprocess.TimeoutExpired:
            raise Failure(f"no window titled {WINDOW_TITLE!r} within {START_UP_LIMIT} s; "
                          f"stderr: {stderr_path.read_text()!r}")
        windows = found.split()
        check(len(windows) == 1, f"expected one window of the program, found {windows}")
        session = Session(run_dir, env, xvfb, program, windows[0], stderr_path)
        time.sleep(FRAME_WAIT)
        yield session
    finally:
        if program is not None:
            stop(program)
        stop(xvfb)


def press(session, keys, delay_ms=4):
    """Sends key names (xdotool keysyms) to the program's window."""
    check(session.program.poll() is None,
          f"the program ended (status {session.program.returncode}) before keys {keys}")
    if keys:
        xdotool(session.env, "key", "--window", session.window, "--delay", str(delay_ms), *keys)


def stderr_text(session):
    return session.stderr_path.read_text()


def snapshot(session):
    """Presses "s" and returns snapshot.bmp once it is complete."""
    path = session.run_dir / "snapshot.bmp"
    if path.is_file():
        path.unlink()
    press(session, ["s"])
    return complete_snapshot(session)


def complete_snapshot(session):
    """snapshot.bmp, once an "s" already sent has written it whole."""
    path = session.run_dir / "snapshot.bmp"
    deadline = time.monotonic() + SNAPSHOT_LIMIT
    last_size = -1
    while time.monotonic() < deadline:
        if path.is_file():
            size = path.stat().st_size
            if size >= BMP_HEADER and size == last_size:
                bmp = read_bmp(path)
                if len(bmp.data) == bmp.fields["bfSize"]:
                    return bmp
            last_size = size
        time.sleep(0.05)
    raise Failure(f"no complete snapshot.bmp within {SNAPSHOT_LIMIT} s; "
                  f"stderr: {stderr_text(session)!r}")


def settled_snapshot(session, size=(WINDOW_W, WINDOW_H)):
    """A snapshot of the picture after the last keys: the view changes only
    on keys, so two snapshots in a row that agree (and have the expected
    size) show the newest view, however slowly frames come."""
    time.sleep(FRAME_WAIT)
    previous = snapshot(session)
    for _ in range(20):
        time.sleep(0.1)
        current = snapshot(session)
        if current.data == previous.data and (current.width, current.height) == size:
            return current
        previous = current
    raise Failure(f"the picture did not settle at {size[0]} by {size[1]}; last snapshot "
                  f"{previous.width} by {previous.height}")


def quit_with_escape(session):
    """Escape must end the program at once with status 0."""
    check(session.program.poll() is None, "the program ended before Escape")
    # The key release goes to a window that is already gone: xdotool may
    # complain about it.
    xdotool(session.env, "key", "--window", session.window, "Escape", may_fail=True)
    try:
        status = session.program.wait(timeout=5)
    except subprocess.TimeoutExpired:
        raise Failure("the program still runs 5 s after Escape")
    check(status == 0, f"exit status after Escape is {status}, expected 0")


def run_case(name, case):
    """Runs one test case; prints its outcome and returns the exit status."""
    started = time.monotonic()
    try:
        case()
    except (Failure, subprocess.TimeoutExpired) as failure:
        print(f"FAIL {name}: {failure}", file=sys.stderr)
        return 1
    print(f"ok {name} ({time.monotonic() - started:.1f} s)")
    return 0
