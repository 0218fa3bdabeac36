#!/usr/bin/env python3
"""Cases of orvik-render --annotate, the pictures for a report, run with
DISPLAY unset. Every expected pixel is worked out here from the plan: the
walking times by a breadth-first search, the limit's colours, where the
cells must stand when the region is fitted with square cells, the marks
round the exits and the blocked door, and the minute ticks of the legend
bar measured against the bar the picture shows."""

import sys

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
import case_main  # noqa: E402
import orvik_drive as d  # noqa: E402
from render_cases import render, render_ok  # noqa: E402

WHITE = (255, 255, 255)
# The report colours, 0..1 as the program gives them, in 8-bit levels.
WITHIN = tuple(round(v * 255) for v in (0.27, 0.58, 0.86))
OVER = tuple(round(v * 255) for v in (0.95, 0.55, 0.10))
UNREACHED = tuple(round(v * 255) for v in (0.55, 0.55, 0.55))
EXIT = tuple(round(v * 255) for v in (0.0, 0.60, 0.25))
BLOCKED = tuple(round(v * 255) for v in (0.80, 0.0, 0.0))       # the mark
BLOCKED_FILL = tuple(round(v * 255) for v in (1.0, 0.78, 0.78))  # the cells
MARK_PADDING = 3  # px between a door's cells and its mark
COLUMNS, ROWS = 12, 6
DOOR_A = [(1, 6), (2, 6)]  # exits in both files
DOOR_B = [(1, 1)]          # in the plan's exit file only: blocked


def report_plan():
    """12 by 6 cells; a wall between columns 6 and 7 from row 2 up, so that
    the right half is reached round its end; a hole at (11, 5) that no time
    is computed for, and one cell (12, 6) walled off from everything."""
    walls = {("left", 7, r) for r in range(2, ROWS + 1)}
    walls |= {("left", 12, 6), ("bottom", 12, 6)}
    plan = d.Plan(columns=COLUMNS, rows=ROWS, holes={(11, 5)}, exit_cell=DOOR_A[0], walls=walls)
    plan.times = d.walking_times(plan, DOOR_A)
    return plan


def write_files(plan, folder):
    d.write_plan(plan, folder / "plan")
    ids = lambda cells: "".join(f"{plan.cell_id(*c)}\n" for c in cells)  # noqa: E731
    (folder / "plan" / "ExitGrid.dat").write_text(ids(DOOR_A + DOOR_B))
    (folder / "drawn.dat").write_text(ids(DOOR_A))


def run_through(bmp, x, y, horizontal):
    """The first and last px of the unbroken run of cell colours (walls
    included) through (x, y), across the picture or up it."""
    cell_colours = (WITHIN, OVER, UNREACHED, EXIT, BLOCKED_FILL, d.BLACK)

    def in_run(k):
        p = bmp.pixel(k, y) if horizontal else bmp.pixel(x, k)
        return any(d.near(p, c) for c in cell_colours)

    low = high = x if horizontal else y
    while in_run(low - 1):
        low -= 1
    while in_run(high + 1):
        high += 1
    return low, high


def map_box(bmp, plan):
    """The fitted plan's edges in px, its outer walls included, found along
    the middle of row 3 and of column 10, where no mark or name stands;
    the first guess goes through the middle of the picture."""
    first, last = run_through(bmp, bmp.width // 2, bmp.height // 2, True)
    cell_w = (last + 1 - first) / COLUMNS
    x10 = int(first + 9.5 * cell_w)
    bottom, top = run_through(bmp, x10, bmp.height // 2, False)
    cell_h = (top + 1 - bottom) / ROWS
    first, last = run_through(bmp, x10, int(bottom + 2.5 * cell_h), True)
    return first, bottom, last + 1, top + 1


def check_square_fit(program, scratch, plan, size):
    out = scratch / f"fit-{size}.bmp"
    render_ok(program, "--plan", scratch / "plan", "--exits", scratch / "drawn.dat", "--annotate",
              "--limit", "28", "--size", size, out)
    bmp = d.read_bmp(out)
    x0, y0, x1, y1 = map_box(bmp, plan)
    cell_w, cell_h = (x1 - x0) / COLUMNS, (y1 - y0) / ROWS
    d.check(abs(cell_w - cell_h) <= 0.5,
            f"{size}: cells {cell_w:.2f} by {cell_h:.2f} px, not square")
    d.check(x0 > 0 and y0 > 0 and x1 < bmp.width and y1 < bmp.height,
            f"{size}: the plan is cut at the picture's edge: {x0, y0, x1, y1}")
    return bmp, (x0, y0, x1, y1)


def case_limit_and_marks(program, scratch):
    """--limit: each cell's centre within, over or unreached by the times
    worked out here; the exits of the drawn file green with a green mark
    round them, the door that only the plan lists red and crossed out; the
    plan fitted with square cells in a wide and a tall picture, filling
    the width of the tall one."""
    plan = report_plan()
    write_files(plan, scratch)
    bmp, (x0, y0, x1, y1) = check_square_fit(program, scratch, plan, "800x600")
    cell = (x1 - x0) / COLUMNS

    def centre(c, r):
        return int(x0 + (c - 0.5) * cell), int(y0 + (r - 0.5) * cell)

    # Five points of each cell: a door's name on its white box may cover up
    # to three, never all; none may show another cell's colour.
    colours = (WITHIN, OVER, UNREACHED, EXIT, BLOCKED_FILL)
    for (c, r), t in plan.times.items():
        want = (EXIT if (c, r) in DOOR_A else BLOCKED_FILL if (c, r) in DOOR_B
                else UNREACHED if t is None else WITHIN if t <= 28 else OVER)
        cx, cy = centre(c, r)
        q = int(cell / 4)
        got = [bmp.pixel(cx + dx, cy + dy)
               for dx, dy in ((0, 0), (-q, -q), (q, -q), (-q, q), (q, q))]
        right = [p for p in got if d.near(p, want)]
        wrong = [p for p in got if any(d.near(p, c) for c in colours if c != want)]
        d.check(len(right) >= 2 and not wrong,
                f"cell {(c, r)} (time {t}) shows {got}, expected {want}")
    d.check(bmp.pixel(*centre(11, 5)) == WHITE, "the hole at (11, 5) is not white")
    # The marks: a frame 3 px outside the door's cells, 2 px wide; the
    # blocked one also crossed from corner to corner, outside its cell too.
    a_left, a_mid = x0 - MARK_PADDING, int(y0 + 5.5 * cell)
    d.check(any(d.near(bmp.pixel(a_left + dx, a_mid), EXIT) for dx in (-1, 0, 1)),
            f"no green mark left of door A at x {a_left}")
    b_left, b_bottom = x0 - MARK_PADDING, y0 - MARK_PADDING
    d.check(any(d.near(bmp.pixel(b_left + dx, int(y0 + 0.5 * cell)), BLOCKED) for dx in (-1, 0, 1)),
            f"no red mark left of door B at x {b_left}")
    corner = [bmp.pixel(b_left + k, b_bottom + k) for k in (1, 2)]
    d.check(any(d.near(p, BLOCKED) for p in corner),
            f"no red cross at door B's lower left corner: {corner}")
    d.check(bmp.pixel(x0 - MARK_PADDING - 6, int(y0 + 3.5 * cell)) == WHITE,
            "something drawn left of the map where nothing should be")
    # Fitted to any size: a tall picture is filled across, a wide one not.
    tall, (tx0, _, tx1, _) = check_square_fit(program, scratch, plan, "400x900")
    d.check(tx1 - tx0 >= tall.width - 2 * 24, f"400x900: the plan takes {tx1 - tx0} px across")
    wide, (wx0, _, wx1, _) = check_square_fit(program, scratch, plan, "1400x360")
    d.check(wx1 - wx0 < wide.width * 0.8, f"1400x360: the plan takes {wx1 - wx0} px across")


def find_bar(bmp):
    """The legend bar: its row is the lowest with a run of the scale's
    bottom colour; its ends are the black frame round it."""
    bottom_colour = d.SCALE[0]
    for y in range(bmp.height // 3):
        xs = [x for x in range(bmp.width // 3) if d.near(bmp.pixel(x, y), bottom_colour, 8)]
        if len(xs) >= 3:
            left = xs[0] - 1  # the frame's pixel
            right = left + 1
            while bmp.pixel(right, y) != d.BLACK:
                right += 1
            low = y
            while bmp.pixel(left + 3, low - 1) != d.BLACK:
                low -= 1
            return left, right + 1, low - 1, y
    raise d.Failure("no legend bar found")


def case_scale_ticks(program, scratch):
    """--scale-max 600: a tick a minute under the bar, 0 to 10, at the
    bar's length times minutes over ten, and the bar's colour at each tick
    the window's colour of that time halved (the scale stretched)."""
    plan = report_plan()
    write_files(plan, scratch)
    out = scratch / "scale.bmp"
    render_ok(program, "--plan", scratch / "plan", "--annotate", "--scale-max", "600", out)
    bmp = d.read_bmp(out)
    left, right, frame_bottom, y_inside = find_bar(bmp)
    length = right - left
    tick_y = frame_bottom - 2
    for minute in range(11):
        x = int(left + length * minute / 10)
        d.check(any(bmp.pixel(x + dx, tick_y) == d.BLACK for dx in (-1, 0, 1)),
                f"no tick for minute {minute} at x {x}")
        if minute < 10:
            between = int(left + length * (minute + 0.5) / 10)
            d.check(bmp.pixel(between, tick_y) == WHITE, f"a mark between minutes at x {between}")
            inside = min(max(x, left + 2), right - 3)
            seconds = 600.0 * (inside - left) / length
            want = d.time_color(seconds / 2)
            d.check(d.near(bmp.pixel(inside, y_inside + 2), want, 6),
                    f"bar at minute {minute}: {bmp.pixel(inside, y_inside + 2)}, expected {want}")


def case_report_arguments(program, scratch):
    """Wrong report arguments: status 2, one line naming the fault, nothing
    written; a level the plan lacks: status 1 after the pictures before it."""
    plan = report_plan()
    write_files(plan, scratch)
    out = scratch / "out"
    out.mkdir()
    png = out / "a.png"
    cases = (
        (["--limit", "240", png], "--limit is for annotated pictures"),
        (["--annotate", "--limit", "0x10", png], "--limit takes a decimal number"),
        (["--annotate", "--limit", "2e2", png], "--limit takes a decimal number"),
        (["--annotate", "--scale-max", "0", png], "--scale-max takes a decimal number"),
        (["--annotate", "--cell-size", "-1", png], "--cell-size takes a decimal number"),
        (["--annotate", "--limit", "240", "--scale-max", "300", png], "--limit and --scale-max"),
        (["--annotate", "--keys", "w", png], "--keys moves the window's view"),
        (["--annotate", "--size", "300x200", png], "too small for an annotated picture"),
        (["--annotate", "--region", "1,2,3", png], "--region takes COLUMN,ROW,COLUMN,ROW"),
        ([png, "--annotate"], "options after the last output"),
    )
    for args, message in cases:
        done = render(program, "--plan", scratch / "plan", *args)
        lines = done.stderr.splitlines()
        d.check(done.returncode == 2 and len(lines) == 1 and message in lines[0],
                f"{[str(a) for a in args]}: status {done.returncode}, stderr {done.stderr!r}")
    d.check(not list(out.iterdir()), f"files written: {list(out.iterdir())}")
    done = render(program, "--plan", scratch / "plan", "--annotate", out / "first.png",
                  "--region", "Mezzanine", out / "second.png")
    d.check(done.returncode == 1 and "no level of that name" in done.stderr
            and (out / "first.png").exists() and not (out / "second.png").exists(),
            f"unknown level: status {done.returncode}, stderr {done.stderr!r}")


CASES = {
    "LimitAndMarks": case_limit_and_marks,
    "ScaleTicks": case_scale_ticks,
    "ReportArguments": case_report_arguments,
}


def main():
    return case_main.main(__doc__, CASES, ['render'])


if __name__ == "__main__":
    sys.exit(main())
