#!/usr/bin/python3
"""Geodesic walking times as a user would script them with numpy and scipy,
for scripts/bench to set beside orvik-check --geodesic. Reads the plan with
the reading code of bench/map_script.py and writes cell,geodesic_seconds.

    /usr/bin/python3 bench/geodesic_script.py PLAN_DIR OUT.csv [options]

  --method anyangle  (default) the checker's method in plain Python: an
                     any-angle search (Theta*-style, heapq) from all exits
                     over cell centres and bend corners, with a straight-line
                     sight test that never crosses a closed side
  --method grid16    a different, less exact method: scipy's dijkstra over
                     straight moves to the 16 nearest cells (side, diagonal
                     and knight's moves), each allowed when its own short
                     segment is clear; never below the true time, and at
                     most about 2.7 % above it in an open room
  --method exact     for checking the other two: Dijkstra over the
                     visibility graph of the exits and bend corners, then
                     each cell from the best of them it sees; slow
  --against TIMES    after writing, compare with a times CSV of
                     orvik-check --geodesic --times (column geodesic_seconds)
                     or of this script; may be given more than once
  --timing           print the ms spent reading, searching and writing
  --max-cell-id N    the program's largest cell number (default 33414)

Floor and sides as the checker sees them: a cell is floor when a record
names it and its number is 1 to MAX_CELL_ID; a walker steps from c across a
side into n when c's side and n's facing side are both open (a wall field,
or a neighbour number outside 0..MAX_CELL_ID, closes a side) and n is floor
and lies beside c on the grid. A straight line through a grid vertex into
the diagonal cell needs one of the two L-shaped routes round the vertex
open. Times in s at 2 s a map unit (a cell of 2 map units in a move's 4 s).

Debian's python3-numpy and python3-scipy."""

import argparse
import heapq
import math
import sys
import time
from pathlib import Path

import numpy as np

sys.path.insert(0, str(Path(__file__).resolve().parent))
import map_script  # noqa: E402  (its reader; it imports matplotlib only to draw)

PACE = 2.0  # s per map unit
SIDES = 4   # 0 right, 1 top, 2 left, 3 bottom
DX = (1, 0, -1, 0)  # cells
DY = (0, 1, 0, -1)  # cells
APART = 0.015  # s: times files hold 0.01 s, so two roundings may differ by one step


class Floor:
    """The plan on a padded grid: cell (column c, row r) at grid index
    r * width + c, with a ring of rock round it; vertex (i, j), the
    upper-right corner of cell (i, j), at the same index in its own
    numbering. Map units: a cell's centre is (2c - 1, 2r - 1), a vertex
    (2i, 2j), after shifting the plan so that its lowest column and row
    are 1."""

    def __init__(self, mesh, max_cell_id):
        cell = mesh[:, 0]
        inside = (cell >= 0) & (cell <= max_cell_id)
        mesh = mesh[inside]
        cell = mesh[:, 0]
        slots = max_cell_id + 1
        named = np.zeros(slots, dtype=bool)
        named[cell] = True
        named[0] = False
        # Sides in the order right, top, left, bottom; the mesh gives right,
        # bottom, left, top, then column, row, left wall, bottom wall.
        nbr = np.zeros((slots, SIDES), dtype=np.int64)
        nbr[cell] = mesh[:, [1, 4, 3, 2]]
        col = np.zeros(slots, dtype=np.int64)
        row = np.zeros(slots, dtype=np.int64)
        col[cell], row[cell] = mesh[:, 5], mesh[:, 6]
        outside = (nbr < 0) | (nbr > max_cell_id)
        closed = outside.copy()
        closed[cell, 2] |= mesh[:, 7] != 0
        closed[cell, 3] |= mesh[:, 8] != 0
        safe = np.where(outside, 0, nbr)
        steps = np.zeros((slots, SIDES), dtype=bool)
        for s in range(SIDES):
            n = safe[:, s]
            steps[:, s] = (named & ~closed[:, s] & named[n] & ~closed[n, (s + 2) % SIDES]
                           & (col[n] == col + DX[s]) & (row[n] == row + DY[s]))

        floor = np.flatnonzero(named)
        self.slots = slots
        if len(floor) == 0:
            self.width = self.height = 3
            self.cell_slot = np.zeros(9, dtype=np.int64)
            self.slot_index = np.full(slots, -1, dtype=np.int64)
            self.step = [[False] * 9 for _ in range(SIDES)]
            self.offset = (1, 3, -1, -3)
            self.corners = {}
            return
        c0, r0 = col[floor].min() - 1, row[floor].min() - 1
        gc, gr = col[floor] - c0, row[floor] - r0
        self.width = int(gc.max()) + 2
        self.height = int(gr.max()) + 2
        index = gr * self.width + gc
        self.cell_slot = np.zeros(self.width * self.height, dtype=np.int64)  # 0: rock
        self.cell_slot[index] = floor
        self.slot_index = np.full(slots, -1, dtype=np.int64)
        self.slot_index[floor] = index
        step = np.zeros((SIDES, self.width * self.height), dtype=bool)
        for s in range(SIDES):
            step[s, index] = steps[floor, s]
        # Two records on one square: the later one holds it; the other is
        # not on the grid.
        self.slot_index[floor[self.cell_slot[index] != floor]] = -1
        self.step = [list(map(bool, step[s])) for s in range(SIDES)]
        self.offset = (1, self.width, -1, -self.width)  # grid index across each side
        self.corners = self._bend_corners(step)

    def _bend_corners(self, step):
        """Bend corners: vertices where three cells, or four whose ring is
        not closed, are joined by sides open both ways round the vertex (a
        thin wall's end, a corner of rock). Each maps to its member cells."""
        w = self.width
        v = np.arange(self.width * self.height)
        i, j = v % w, v // w
        ok = (i < w - 1) & (j < self.height - 1)
        sw, se, ne, nw = v, v + 1, v + 1 + w, v + w
        sw, se, ne, nw = (np.where(ok, x, 0) for x in (sw, se, ne, nw))
        # Spoke k joins ring positions k and k + 1 (0 SW, 1 SE, 2 NE, 3 NW).
        spoke = np.array([step[0, sw] & step[2, se], step[1, se] & step[3, ne],
                          step[2, ne] & step[0, nw], step[3, nw] & step[1, sw]]) & ok
        count = spoke.sum(axis=0)
        adjacent = np.zeros_like(ok)
        for k in range(SIDES):
            adjacent |= spoke[k] & spoke[(k + 1) % SIDES]
        bend = (count == 3) | ((count == 2) & adjacent)
        ring = np.array([sw, se, ne, nw])
        corners = {}
        for vertex in np.flatnonzero(bend):
            members = tuple(int(ring[p, vertex]) for p in range(SIDES)
                            if spoke[p, vertex] or spoke[(p - 1) % SIDES, vertex])
            corners[int(vertex)] = members
        return corners


def _sight_test(floor, cells):
    """point(node) in map units and sight(a, b): a walker may go straight
    from node a to node b. Nodes are cells (their grid index) and bend
    corners (`cells` + vertex index)."""
    w = floor.width
    step, offset, corners = floor.step, floor.offset, floor.corners

    def point(node):
        if node < cells:
            return 2 * (node % w) - 1, 2 * (node // w) - 1
        v = node - cells
        return 2 * (v % w), 2 * (v // w)

    def member(cell, corner):
        return cell in corners[corner - cells]

    def through_vertex(cell, sx, sy):
        """The diagonal cell beyond a vertex, by either L-shaped route."""
        if step[sx][cell]:
            c = cell + offset[sx]
            if step[sy][c]:
                return c + offset[sy]
        if step[sy][cell]:
            c = cell + offset[sy]
            if step[sx][c]:
                return c + offset[sx]
        return -1

    def walk(cell, x0, y0, dx, dy, to):
        """From `cell`, whose lower-left corner is (x0, y0) from the start
        point, along (dx, dy) to node `to`, crossing the grid lines in order.
        Distances along the segment count in 1/whole of its length, so that
        every grid line falls on a whole number."""
        ax, ay = abs(dx), abs(dy)
        whole = max(ax, 1) * max(ay, 1)
        per_x = whole // ax if ax else 0
        per_y = whole // ay if ay else 0
        sx, sy = (0 if dx > 0 else 2), (1 if dy > 0 else 3)
        ux, uy = (2 if dx > 0 else -2), (2 if dy > 0 else -2)
        never = 1 << 62
        at_x = ((x0 + 2) if dx > 0 else -x0) * per_x if ax else never
        at_y = ((y0 + 2) if dy > 0 else -y0) * per_y if ay else never
        while at_x < whole or at_y < whole:
            if at_x <= at_y:
                if at_x == at_y:
                    cell = through_vertex(cell, sx, sy)
                    if cell < 0:
                        return False
                    y0 += uy
                    at_y += 2 * per_y
                elif step[sx][cell]:
                    cell += offset[sx]
                else:
                    return False
                x0 += ux
                at_x += 2 * per_x
            else:
                if not step[sy][cell]:
                    return False
                cell += offset[sy]
                y0 += uy
                at_y += 2 * per_y
        return cell == to if to < cells else member(cell, to)

    def along_line(vertex_node, dx, dy, to):
        """Corner to corner along a grid line: the cells on one side of it,
        in a row through open sides."""
        s = 0 if dx > 0 else 2 if dx < 0 else 1 if dy > 0 else 3
        n = (abs(dx) + abs(dy)) // 2
        v = vertex_node - cells
        sw, se, ne, nw = v, v + 1, v + 1 + w, v + w
        flanks = {0: (se, ne), 1: (ne, nw), 2: (nw, sw), 3: (sw, se)}[s]
        for c in flanks:
            if not member(c, vertex_node):
                continue
            for _ in range(n - 1):
                if not step[s][c]:
                    break
                c += offset[s]
            else:
                if member(c, to):
                    return True
        return False

    def sight(a, b):
        ax, ay = point(a)
        bx, by = point(b)
        dx, dy = bx - ax, by - ay
        if a < cells:
            return walk(a, -1, -1, dx, dy, b)
        if dx == 0 and dy == 0:
            return a == b
        if dx == 0 or dy == 0:
            return b >= cells and along_line(a, dx, dy, b)
        v = a - cells
        first = (v + 1 + w if dy > 0 else v + 1) if dx > 0 else (v + w if dy > 0 else v)
        if not member(first, a):
            return False
        return walk(first, 0 if dx > 0 else -2, 0 if dy > 0 else -2, dx, dy, b)

    return point, sight


def exit_nodes(floor, exit_slots):
    """Grid indices of the exits that are floor, each once, in file order."""
    found = [int(floor.slot_index[s]) for s in exit_slots
             if 0 < s < floor.slots and floor.slot_index[s] >= 0]
    return list(dict.fromkeys(found))


def any_angle_times(floor, exit_slots):
    """Geodesic seconds by slot (NaN where no exit leads): a search from all
    exits at once over cells and bend corners. A node x reached from a
    settled node u takes the shortest path it can see among u, the nodes
    along u's path and along u's other path, and the settled bend corners
    of u's cell with the nodes along theirs. Each is a real polyline in open
    floor, so never below the exact time; on cluttered plans a few come out
    a little long (--method exact measures by how much)."""
    cells = floor.width * floor.height
    step, offset, corners = floor.step, floor.offset, floor.corners
    point, sight = _sight_test(floor, cells)
    # The search graph: a cell's neighbours are the cells that step into it
    # and its bend corners; a corner's are its member cells.
    cell_corners = {}
    for vertex, members in corners.items():
        for c in members:
            cell_corners.setdefault(c, []).append(cells + vertex)

    def neighbours(u):
        if u >= cells:
            return corners[u - cells]
        found = [u + offset[s] for s in range(SIDES) if step[(s + 2) % SIDES][u + offset[s]]]
        return found + cell_corners.get(u, [])

    inf = math.inf
    reach = {}    # node: map units to an exit centre
    parent = {}   # node: the node its path heads for next
    other = {}    # node: (length, next node) of its best path through another next node
    done = set()
    heap = []
    for e in exit_nodes(floor, exit_slots):
        reach[e], parent[e] = 0.0, e
        heap.append((0.0, e))
    heapq.heapify(heap)

    def along_path(node):
        while True:
            yield node
            if parent[node] == node:
                return
            node = parent[node]

    while heap:
        d, u = heapq.heappop(heap)
        if u in done or d > reach[u]:
            continue
        done.add(u)
        via = list(along_path(u))
        if u in other:
            via.extend(along_path(other[u][1]))
        if u < cells:
            for corner in cell_corners.get(u, []):
                if corner in done:
                    via.extend(along_path(corner))
        via = list(dict.fromkeys(via))
        for x in neighbours(u):
            if x in done:
                continue
            px, py = point(x)
            # The shortest path in sight becomes x's, the one it had its
            # other path; else the shortest in sight through another next
            # node may become its other path. Two ways round an obstacle
            # stay alive that way until one of them proves the shorter.
            best = reach.get(x, inf)
            second = other.get(x, (inf, -1))[0]
            offers = []
            for a in via:
                qx, qy = point(a)
                length = reach[a] + math.hypot(px - qx, py - qy)
                if length < best or (length < second and a != parent.get(x)):
                    offers.append((length, a))
            offers.sort()
            for length, a in offers:
                if length >= max(best, second):
                    break
                if a != u and not sight(x, a):  # u is x's neighbour: always in sight
                    continue
                if length < best:
                    if x in parent and parent[x] != a and best < second:
                        other[x] = (best, parent[x])
                    reach[x], parent[x] = length, a
                    heapq.heappush(heap, (length, x))
                    best = length
                    second = other.get(x, (inf, -1))[0]
                elif a != parent[x]:
                    other[x] = (length, a)
                    break

    seconds = np.full(floor.slots, np.nan)
    for node, length in reach.items():
        if node < cells:
            seconds[floor.cell_slot[node]] = length * PACE
    return seconds


def exact_times(floor, exit_slots):
    """Exact geodesic seconds by slot, to check the other methods against:
    Dijkstra over the visibility graph of the exits and the bend corners
    (the only places where a shortest path bends), then each cell from the
    best of those it sees. Quadratic in the bend corners: slow."""
    cells = floor.width * floor.height
    point, sight = _sight_test(floor, cells)
    exits = exit_nodes(floor, exit_slots)
    nodes = exits + [cells + v for v in floor.corners]
    xy = np.array([point(n) for n in nodes], dtype=float).reshape(-1, 2)
    reach = np.full(len(nodes), math.inf)
    reach[:len(exits)] = 0.0
    done = np.zeros(len(nodes), dtype=bool)
    while True:
        waiting = np.flatnonzero(~done & np.isfinite(reach))
        if len(waiting) == 0:
            break
        u = waiting[np.argmin(reach[waiting])]
        done[u] = True
        via = reach[u] + np.hypot(*(xy - xy[u]).T)
        for v in np.flatnonzero(~done & (via < reach)):
            if sight(nodes[v], nodes[u]):
                reach[v] = via[v]
    known = np.flatnonzero(np.isfinite(reach))
    seconds = np.full(floor.slots, np.nan)
    for x in np.flatnonzero(floor.cell_slot != 0):
        px, py = point(int(x))
        via = reach[known] + np.hypot(xy[known, 0] - px, xy[known, 1] - py)
        for i in np.argsort(via, kind="stable"):
            if nodes[known[i]] == x or sight(int(x), nodes[known[i]]):
                seconds[floor.cell_slot[x]] = via[i] * PACE
                break
    return seconds


def grid16_times(floor, exit_slots):
    """Geodesic seconds by slot from scipy's dijkstra over moves to the 16
    nearest cells, each a straight segment allowed when it is clear (the
    same sight rule, checked along the segment's few cells with numpy)."""
    from scipy.sparse import csr_matrix
    from scipy.sparse.csgraph import dijkstra

    w, size = floor.width, floor.width * floor.height
    step = np.array(floor.step, dtype=bool)
    offset = np.array(floor.offset)
    here = np.flatnonzero(floor.cell_slot != 0)

    def go(cells, s):
        """Cells one step across side s, -1 where that side is closed."""
        ok = cells >= 0
        ok[ok] &= step[s, cells[ok]]
        return np.where(ok, cells + offset[s], -1)

    rows, cols, lengths = [], [], []

    def add(to, length):
        ok = to >= 0
        rows.append(here[ok])
        cols.append(to[ok])
        lengths.append(np.full(ok.sum(), length))

    # Each move once: csr_matrix adds up repeated entries.
    for s in range(SIDES):
        add(go(here, s), 2.0)
    for sx, sy in ((0, 1), (0, 3), (2, 1), (2, 3)):
        # Diagonal: through the vertex, by either L-shaped route.
        a, b = go(go(here, sx), sy), go(go(here, sy), sx)
        add(np.where(a >= 0, a, b), 2.0 * math.sqrt(2))
        # Knight's moves: two cells along one axis, one along the other;
        # the segment crosses the long axis's line, the short one's, then
        # the long one's again, never through a vertex.
        add(go(go(go(here, sx), sy), sx), 2.0 * math.sqrt(5))
        add(go(go(go(here, sy), sx), sy), 2.0 * math.sqrt(5))
    rows, cols, lengths = np.concatenate(rows), np.concatenate(cols), np.concatenate(lengths)
    # Edges run from a cell towards the exit; the search runs from the exits.
    graph = csr_matrix((lengths, (cols, rows)), shape=(size, size))
    exits = exit_nodes(floor, exit_slots)
    seconds = np.full(floor.slots, np.nan)
    if not exits:
        return seconds
    reach = dijkstra(graph, indices=exits, min_only=True)
    found = here[np.isfinite(reach[here])]
    seconds[floor.cell_slot[found]] = reach[found] * PACE
    return seconds


def write_times(path, floor, seconds):
    slots = np.flatnonzero(floor.slot_index >= 0)
    with open(path, "w") as out:
        out.write("cell,geodesic_seconds\n")
        out.writelines(f"{s},{'' if math.isnan(seconds[s]) else f'{seconds[s]:.2f}'}\n"
                       for s in slots)


def read_times(path, column):
    """{cell: seconds or None} from a times CSV with a header."""
    lines = Path(path).read_text().splitlines()
    header = lines[0].split(",")
    at_cell, at_time = header.index("cell"), header.index(column)
    times = {}
    for line in lines[1:]:
        fields = line.split(",")
        times[int(fields[at_cell])] = float(fields[at_time]) if fields[at_time] else None
    return times


def compare(mine, theirs):
    """Summary lines of the differences between two {cell: seconds}."""
    both = [c for c in theirs if c in mine and mine[c] is not None and theirs[c] is not None]
    one_side = sum(1 for c in set(mine) | set(theirs)
                   if (mine.get(c) is None) != (theirs.get(c) is None))
    diff = np.array([mine[c] - theirs[c] for c in both])
    rel = np.array([(mine[c] - theirs[c]) / theirs[c] for c in both if theirs[c] > 0])
    size = np.abs(diff)
    return [
        f"cells compared {len(both)}, reached by one only {one_side}",
        f"absolute difference, s: max {size.max() if len(both) else 0:.3f}"
        f" median {np.median(size) if len(both) else 0:.3f}"
        f" 99th percentile {np.percentile(size, 99) if len(both) else 0:.3f}",
        f"relative difference: largest {np.abs(rel).max() if len(rel) else 0:.4%}",
        f"cells more than {APART} s apart {(size > APART).sum()}:"
        f" {(diff > APART).sum()} longer here, {(diff < -APART).sum()} shorter here",
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("plan", type=Path)
    parser.add_argument("out")
    parser.add_argument("--method", choices=("anyangle", "grid16", "exact"), default="anyangle")
    parser.add_argument("--against", action="append", default=[])
    parser.add_argument("--max-cell-id", type=int, default=33414)
    parser.add_argument("--timing", action="store_true")
    args = parser.parse_args()
    started = time.perf_counter()
    map_script.MAX_CELL_ID = args.max_cell_id
    mesh = map_script.read_mesh(args.plan / "Mesh.csv")
    exits = map_script.read_exits(args.plan / "ExitGrid.dat")
    floor = Floor(mesh, args.max_cell_id)
    read = time.perf_counter()
    method = {"anyangle": any_angle_times, "grid16": grid16_times, "exact": exact_times}[args.method]
    seconds = method(floor, [int(e) for e in exits])
    searched = time.perf_counter()
    write_times(args.out, floor, seconds)
    if args.timing:
        print(f"ms read {(read - started) * 1000:.1f} search {(searched - read) * 1000:.1f}"
              f" write {(time.perf_counter() - searched) * 1000:.1f}")
    mine = read_times(args.out, "geodesic_seconds") if args.against else {}
    for other in args.against:
        for line in compare(mine, read_times(other, "geodesic_seconds")):
            print(f"{other}: {line}")


if __name__ == "__main__":
    main()
