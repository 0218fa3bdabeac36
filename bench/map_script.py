#!/usr/bin/python3
"""The map as a user would script it with numpy, scipy and matplotlib: read
Mesh.csv and ExitGrid.dat, walk breadth first from the exits with the
program's wall rule and cut-off, colour the cells with the program's scale
and save the picture as PNG. scripts/bench times it against orvik-render.

    /usr/bin/python3 bench/map_script.py PLAN_DIR OUT.png [MAX_CELL_ID]

MAX_CELL_ID is the largest cell number of the program's table (33414 unless
it was built with another ORVIK_MAX_CELL_ID).

Debian's python3-numpy, python3-scipy and python3-matplotlib."""

import sys
from pathlib import Path

import numpy as np
from scipy.sparse import csr_matrix
from scipy.sparse.csgraph import dijkstra

MAX_CELL_ID = 33414       # outside 0..this closes a side; main() takes it from the command line
STEP = 4.0                # s a move
MAX_MOVES = 112           # moves the walk still counts: 448 s
SCALE_MAX = 300.0         # s, the top colour from here on
STOPS = [(0, 0, 205), (0, 80, 255), (0, 240, 110), (90, 255, 30), (255, 255, 0),
         (255, 255, 0), (255, 170, 0), (255, 85, 0), (255, 0, 0), (128, 0, 0)]


def read_mesh(path):
    """Columns of the records: cell, right, bottom, left, top, col, row,
    left wall, bottom wall. Three header lines, then 13 blank-separated
    fields a record."""
    words = path.read_text().split("\n", 3)[3].split()
    fields = np.array(words[:len(words) // 13 * 13], dtype=object).reshape(-1, 13)
    return fields[:, [0, 1, 2, 3, 4, 5, 6, 8, 9]].astype(np.int64)


def walking_times(mesh, exits):
    """Seconds to the nearest exit, NaN beyond MAX_MOVES or unreachable.
    A move across a side needs that side and the neighbour's facing side
    open; a neighbour number outside the table closes a side, and the wall
    fields close the left and bottom sides."""
    cell = mesh[:, 0]
    nbr = mesh[:, 1:5]                     # right, bottom, left, top
    closed = (nbr < 0) | (nbr > MAX_CELL_ID)
    closed[:, 2] |= mesh[:, 7] != 0
    closed[:, 1] |= mesh[:, 8] != 0
    side_closed = np.zeros((MAX_CELL_ID + 1, 4), dtype=bool)  # a slot without a record is open
    side_closed[cell] = closed
    facing = [2, 3, 0, 1]
    rows, cols = [], []
    for s in range(4):
        ok = ~closed[:, s]
        src, dst = cell[ok], nbr[ok, s]
        ok2 = ~side_closed[dst, facing[s]]
        rows.append(src[ok2])
        cols.append(dst[ok2])
    rows, cols = np.concatenate(rows), np.concatenate(cols)
    graph = csr_matrix((np.ones(len(rows)), (rows, cols)), shape=(MAX_CELL_ID + 1,) * 2)
    exits = exits[(exits >= 0) & (exits <= MAX_CELL_ID)]
    if len(exits) == 0:
        return np.full(MAX_CELL_ID + 1, np.nan)
    moves = dijkstra(graph, indices=np.unique(exits), min_only=True, limit=MAX_MOVES + 0.5)
    return np.where(np.isinf(moves), np.nan, moves * STEP)


def read_exits(path):
    """The exit cell numbers, in file order."""
    return np.array(path.read_text().split(), dtype=np.int64)


def draw_map(mesh, times, out):
    """The cells coloured by time on the program's scale, saved as PNG.
    matplotlib is imported here, so that scripts reusing the reading code
    above do not pay for it."""
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from matplotlib.colors import LinearSegmentedColormap

    cells = mesh[(mesh[:, 0] >= 0) & (mesh[:, 0] <= MAX_CELL_ID)]
    col, row = cells[:, 5], cells[:, 6]
    grid = np.full((row.max(), col.max()), np.nan)    # rock stays white
    t = times[cells[:, 0]]
    grid[row - 1, col - 1] = np.where(np.isnan(t), SCALE_MAX, t)   # unreached: top colour
    cmap = LinearSegmentedColormap.from_list(
        "orvik", [(i / 9, tuple(c / 255 for c in rgb)) for i, rgb in enumerate(STOPS)])
    cmap.set_bad("white")
    fig, ax = plt.subplots(figsize=(8, 6), dpi=100)
    image = ax.imshow(np.ma.masked_invalid(grid), cmap=cmap, vmin=0, vmax=SCALE_MAX,
                      origin="lower", interpolation="nearest")
    ax.set_axis_off()
    bar = fig.colorbar(image, ax=ax, orientation="horizontal", fraction=0.05, ticks=[0, SCALE_MAX])
    bar.ax.set_xticklabels(["0 min", "Over 5 min"])
    fig.savefig(out)


def main():
    global MAX_CELL_ID
    plan, out = Path(sys.argv[1]), sys.argv[2]
    if len(sys.argv) > 3:
        MAX_CELL_ID = int(sys.argv[3])
    mesh = read_mesh(plan / "Mesh.csv")
    times = walking_times(mesh, read_exits(plan / "ExitGrid.dat"))
    draw_map(mesh, times, out)


if __name__ == "__main__":
    main()
