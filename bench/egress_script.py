#!/usr/bin/python3
"""The flow model of orvik-egress as a user would script it with numpy, for
scripts/bench to time beside the program and to compare cell by cell.
Reads Mesh.csv, ExitGrid.dat and a scenario, runs the same model (the same
step, dwell shares, side capacities, free room shared in proportion, the
same route choice) and writes the cells' clear_seconds and peak_density.

    /usr/bin/python3 bench/egress_script.py PLAN_DIR SCENARIO OUT.csv [options]

  --route quickest|nearest   overrides the scenario's route
  --against TIMES            compare with orvik-egress --times TIMES
  --timing                   print the ms spent reading, routing and stepping

The scenario keys read: cell_side, route, reroute_every, wait_memory,
pre_movement, max_seconds, [kinds.*], [people.density], [people.count];
other keys are ignored (no people CSV, no blocked doors, no limits).
The steps are numpy over all cells; the route walk of the quickest route
(a bucket queue, once a step) is plain Python, as it does not vectorise.

Debian's python3-numpy; tomllib from Python 3.11."""

import argparse
import sys
import time
import tomllib
from pathlib import Path

import numpy as np

SIDES = 4
TRACE = 1e-3          # persons: less is nobody
DENSE = 3.5           # persons per m²
NEVER = -1.0
MOST_BUCKETS = 1 << 16
LEVEL = (1.33, 81.9 / 60.0, 5.4)                       # speed, flow, jam
STAIR = (14.6 / 60.0 / (0.175 / 0.28), 55.5 / 60.0, 5.4)
DEFAULTS = {"floor": LEVEL, "platform": LEVEL, "service": LEVEL, "exit": LEVEL,
            "stair": STAIR, "escalator": STAIR}


def read_plan(folder):
    """Cells in ascending number with their kinds and moves (right, top,
    left, bottom; -1 none), and the exit cells in file order."""
    words = (folder / "Mesh.csv").read_text().split("\n", 3)[3].split()
    rec = np.array(words[:len(words) // 13 * 13], dtype=object).reshape(-1, 13)
    nums = rec[:, [0, 1, 2, 3, 4, 5, 6, 8, 9]].astype(np.int64)
    keep = nums[:, 0] >= 0
    rec, nums = rec[keep], nums[keep]
    _, last = np.unique(nums[::-1, 0], return_index=True)   # the later record counts
    order = np.sort(len(nums) - 1 - last)
    rec, nums = rec[order], nums[order]
    sort = np.argsort(nums[:, 0], kind="stable")
    rec, nums = rec[sort], nums[sort]
    number = nums[:, 0]
    words_seen = list(dict.fromkeys(rec[:, 7]))
    kind = np.array([words_seen.index(w) for w in rec[:, 7]], dtype=np.int64)

    def index(ids):
        at = np.searchsorted(number, ids)
        at = np.minimum(at, len(number) - 1)
        return np.where(number[at] == ids, at, -1)

    across = np.stack([index(nums[:, 1]), index(nums[:, 4]), index(nums[:, 3]), index(nums[:, 2])], 1)
    closed = across < 0
    closed[:, 2] |= nums[:, 7] != 0
    closed[:, 3] |= nums[:, 8] != 0
    move = np.full_like(across, -1)
    for k in range(SIDES):
        ok = ~closed[:, k]
        ok[ok] &= ~closed[across[ok, k], (k + 2) % SIDES]
        move[ok, k] = across[ok, k]
    exits = []
    for w in (folder / "ExitGrid.dat").read_text().split():
        i = index(np.array([int(w)]))[0]
        if i >= 0 and i not in exits:
            exits.append(int(i))
    return number, kind, words_seen, move, np.array(exits, dtype=np.int64)


class Walk:
    """The bucket walk of tools/analysis/cost_walk.cpp, entry for entry, so
    that ties fall the same way."""

    def __init__(self, move):
        n = len(move)
        src = np.repeat(np.arange(n), SIDES)
        side = np.tile(np.arange(SIDES), n)
        dst = move.reshape(-1)
        ok = dst >= 0
        src, side, dst = src[ok], side[ok], dst[ok]
        order = np.argsort(dst, kind="stable")
        self.start = np.concatenate([[0], np.cumsum(np.bincount(dst, minlength=n))]).tolist()
        self.frm = src[order].tolist()
        self.side = side[order].tolist()
        self.n = n

    def run(self, seeds, crossing, load=None, rate=None):
        n = self.n
        cross = crossing.tolist()
        cost = [float("inf")] * n
        toward = [-1] * n
        settled = [False] * n
        if load is None:
            lowest, highest = min(cross), max(cross)
            wanted = 1
            step = lambda c, at: cross[c]
            carry = None
            is_wanted = lambda c: False
        else:
            loads, rates = load.tolist(), rate.tolist()
            lowest, highest = min(cross), max(max(cross), max(loads) / min(rates))
            wanted = sum(1 for x in loads if x > 0.0)
            pace = [float("inf")] * n
            step = lambda c, at: max(cross[c], loads[c] / min(rates[c], pace[at]))
            is_wanted = lambda c: loads[c] > 0.0

            def carry(c, at):
                pace[c] = min(rates[c], pace[at])
        width = max(lowest, highest / MOST_BUCKETS)
        ring = int(highest / width) + 2
        head = [-1] * ring
        cells, nxt = [], []
        pending = 0
        for e in seeds:
            c0 = step(e, None) if load is None else max(cross[e], loads[e] / rates[e])
            if not c0 < cost[e]:
                continue
            cost[e] = c0
            toward[e] = SIDES
            if load is not None:
                pace[e] = rates[e]
            b = int(c0 / width) % ring
            cells.append(e); nxt.append(head[b]); head[b] = len(cells) - 1
            pending += 1
        b = 0
        while pending > 0 and wanted > 0:
            slot = b % ring
            while head[slot] >= 0:
                entry = head[slot]
                at = cells[entry]
                head[slot] = nxt[entry]
                pending -= 1
                if settled[at]:
                    continue
                settled[at] = True
                if is_wanted(at):
                    wanted -= 1
                here = cost[at]
                for m in range(self.start[at], self.start[at + 1]):
                    c = self.frm[m]
                    if settled[c]:
                        continue
                    through = step(c, at) + here
                    if not through < cost[c]:
                        continue
                    cost[c] = through
                    toward[c] = self.side[m]
                    if carry:
                        carry(c, at)
                    nb = max(int(through / width), b) % ring
                    cells.append(c); nxt.append(head[nb]); head[nb] = len(cells) - 1
                    pending += 1
            b += 1
        return np.array(cost), np.array(toward), np.array(settled)


def ways(move, cost, toward, settled, people=None):
    """Bit k: people go on across side k; bit 4: out of the plan."""
    n = len(move)
    w = np.zeros(n, dtype=np.int64)
    considered = np.ones(n, dtype=bool) if people is None else people > 0.0
    w[(toward == SIDES) & considered] = 1 << SIDES
    go = (toward >= 0) & (toward < SIDES) & considered
    best = np.full(n, np.inf)
    idx = np.nonzero(go)[0]
    best[idx] = cost[move[idx, toward[idx]]]
    within = best * (1.0 + 1e-9)
    for k in range(SIDES):
        to = move[:, k]
        ok = go & (to >= 0)
        ok[ok] &= cost[to[ok]] <= within[ok]
        ok[ok] &= settled[to[ok]]
        w[ok] |= 1 << k
    return w


class Model:
    """The state of one run; the same arithmetic as tools/egress/model.cpp,
    in the same order."""

    def __init__(self, plan, scenario, route):
        self.number, self.kind, words, self.move, self.exits = plan
        self.route = route
        n = len(self.number)
        side = float(scenario.get("cell_side", 0.5))
        self.area = side * side
        given = scenario.get("kinds", {})
        figs = []
        for word in words:
            g = given.get(word, {})
            s, f, j = DEFAULTS.get(word, (None, None, None))
            figs.append((g.get("speed", s), g.get("flow", f), g.get("jam", j)))
        speed, flow, jam = (np.array([f[i] for f in figs]) for i in range(3))
        fastest = speed.max()
        self.dt = side / fastest
        dwell = np.maximum(1.0, fastest / speed)
        self.whole = np.floor(dwell).astype(np.int64)
        self.part = dwell - self.whole
        self.flow_step = flow * side * self.dt
        self.most = jam * self.area
        self.cross = (dwell * self.dt)[self.kind]
        self.R = int(self.whole.max()) + 2
        self.pre = float(scenario.get("pre_movement", 0.0))
        self.reroute = max(1, int(round(float(scenario.get("reroute_every", 0.0)) / self.dt)))
        self.memory = float(scenario.get("wait_memory", 4.0))
        self.last = int(np.ceil(float(scenario.get("max_seconds", 3600.0)) / self.dt))
        people0 = np.zeros(n)
        for word, d in scenario.get("people", {}).get("density", {}).items():
            people0[self.kind == words.index(word)] += d * self.area
        for word, c in scenario.get("people", {}).get("count", {}).items():
            sel = self.kind == words.index(word)
            people0[sel] += c / sel.sum()
        self.people = np.zeros(n)
        self.ready = np.zeros(n)
        self.ring = np.zeros((n, self.R))
        self.walk = Walk(self.move)
        self.routed = 0.0
        nearest = self.timed_walk(None)
        self.ways = ways(self.move, *nearest)
        occupied = np.nonzero(people0 > 0.0)[0]
        self.enter(occupied, people0[occupied], 0)
        self.cap_rate = self.flow_step[self.kind] / self.dt
        self.rate = self.cap_rate.copy()
        self.last_held = np.where(self.people >= TRACE, 0, -1)
        self.peak = np.where(self.people >= TRACE, self.people, 0.0)
        self.dense = np.zeros(n, dtype=np.int64)
        self.no_way = people0[nearest[1] < 0].sum()
        self.placed = self.people.sum()
        self.out = 0.0
        self.src_all = np.repeat(np.arange(n), SIDES)
        if route == "quickest":
            self.ways = ways(self.move, *self.timed_walk(self.people.copy()), self.people)

    def timed_walk(self, load):
        clock = time.perf_counter()
        if load is None:
            found = self.walk.run(self.exits, self.cross)
        else:
            found = self.walk.run(self.exits, self.cross, load, self.rate)
        self.routed += time.perf_counter() - clock
        return found

    def enter(self, idx, amount, t):
        k = self.kind[idx]
        np.add.at(self.ring, (idx, (t + self.whole[k]) % self.R), amount * (1.0 - self.part[k]))
        p = self.part[k] > 0.0
        np.add.at(self.ring, (idx[p], (t + self.whole[k[p]] + 1) % self.R), amount[p] * self.part[k[p]])
        np.add.at(self.people, idx, amount)

    def sends(self):
        """Sends in cell then side order, each way's share by capacity."""
        w, n = self.ways, len(self.number)
        bits = (w[:, None] >> np.arange(SIDES)) & 1
        active = (self.ready > 0.0) & (w != 0) & (w != (1 << SIDES))
        sel = (bits.reshape(-1) == 1) & np.repeat(active, SIDES)
        src, dst = self.src_all[sel], self.move.reshape(-1)[sel]
        cap = np.minimum(self.flow_step[self.kind[src]], self.flow_step[self.kind[dst]])
        capacity = np.bincount(src, weights=cap, minlength=n)
        share = np.where(active, np.minimum(self.ready, capacity) / np.where(capacity > 0, capacity, 1.0), 0.0)
        return src, dst, cap * share[src]

    def step(self, t):
        n = len(self.number)
        slot = t % self.R
        self.ready += self.ring[:, slot]
        self.ring[:, slot] = 0.0
        src, dst, send = self.sends()
        demand = np.bincount(dst, weights=send, minlength=n)
        room = np.maximum(0.0, self.most[self.kind] - self.people)
        with np.errstate(over="ignore"):
            accept = np.where(demand <= room, 1.0, room / np.where(demand > 0, demand, 1.0))
        leave = (self.ways == (1 << SIDES)) & (self.ready > 0.0)
        gone = np.where(leave, np.minimum(self.ready, self.flow_step[self.kind]), 0.0)
        entered = send * accept[dst]
        moved = gone + np.bincount(src, weights=entered, minlength=n)
        self.out += gone.sum()
        sending = self.ready > 0.0
        self.ready = np.where(sending, np.maximum(0.0, self.ready - moved), self.ready)
        self.people = np.where(sending, np.maximum(0.0, self.people - moved), self.people)
        arrive = np.bincount(dst, weights=entered, minlength=n)   # in the senders' order
        into = np.nonzero(arrive > 0.0)[0]
        self.enter(into, arrive[into], t)
        held = self.people >= TRACE
        self.last_held[held] = t
        self.peak = np.where(held, np.maximum(self.peak, self.people), self.peak)
        self.dense += (held & (self.people >= DENSE * self.area)).astype(np.int64)
        if self.route == "quickest":
            share = min(1.0, self.dt / self.memory)
            rate = np.maximum(self.rate + share * (moved / self.dt - self.rate), self.cap_rate * 1e-4)
            self.rate = np.where(self.people < TRACE, self.cap_rate, rate)
            if t % self.reroute == 0:
                self.ways = ways(self.move, *self.timed_walk(self.people.copy()), self.people)


def simulate(plan, scenario, route, timing):
    m = Model(plan, scenario, route)
    t = 0
    while t < m.last and m.placed - m.out - m.no_way >= TRACE:
        t += 1
        m.step(t)
    if timing:
        print(f"steps {t} routing_ms {m.routed * 1000:.1f}", file=sys.stderr)
    clear = np.where((m.last_held >= 0) & (m.last_held < t), m.pre + (m.last_held + 1) * m.dt, np.nan)
    everyone = m.pre + t * m.dt if m.people.sum() < TRACE else None
    return m.number, clear, m.peak / m.area, m.dense * m.dt, everyone, m.dt, t


def compare(number, clear, peak, dt, path):
    """Cell by cell against orvik-egress --times."""
    lines = Path(path).read_text().splitlines()
    head = lines[0].split(",")
    ci, pi, di = head.index("cell"), head.index("clear_seconds"), head.index("peak_density")
    theirs_clear = np.full(len(number), np.nan)
    theirs_peak = np.zeros(len(number))
    where = {int(c): i for i, c in enumerate(number)}
    for line in lines[1:]:
        f = line.split(",")
        i = where[int(f[ci])]
        theirs_clear[i] = float(f[pi]) if f[pi] else np.nan
        theirs_peak[i] = float(f[di])
    both = ~np.isnan(clear) & ~np.isnan(theirs_clear)
    diff = np.abs(clear[both] - theirs_clear[both])
    same_empty = np.sum(np.isnan(clear) == np.isnan(theirs_clear))
    print(f"{path}: {len(number)} cells, {same_empty} agree on being ever occupied; "
          f"clear_seconds equal (to the file's 3 decimals) in {np.sum(diff <= 0.0005 + 1e-9)}, "
          f"within a step in {np.sum(diff <= dt * 1.000001)}, "
          f"largest difference {diff.max() if len(diff) else 0:.3f} s; "
          f"peak_density largest difference {np.abs(peak - theirs_peak).max():.4f} persons per m²")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("plan", type=Path)
    parser.add_argument("scenario", type=Path)
    parser.add_argument("out", type=Path)
    parser.add_argument("--route", choices=("quickest", "nearest"))
    parser.add_argument("--against", action="append", default=[])
    parser.add_argument("--timing", action="store_true")
    a = parser.parse_args()
    clock = time.perf_counter()
    plan = read_plan(a.plan)
    scenario = tomllib.loads(a.scenario.read_text())
    read_ms = (time.perf_counter() - clock) * 1000
    route = a.route or scenario.get("route", "quickest")
    clock = time.perf_counter()
    number, clear, peak, dense, everyone, dt, steps = simulate(plan, scenario, route, a.timing)
    run_ms = (time.perf_counter() - clock) * 1000
    rows = ["cell,clear_seconds,peak_density"]
    for c, t, p in zip(number.tolist(), clear.tolist(), peak.tolist()):
        rows.append(f"{c},{'' if t != t else f'{t:.3f}'},{p:.4f}")
    a.out.write_text("\n".join(rows) + "\n")
    if a.timing:
        print(f"read_ms {read_ms:.1f} run_ms {run_ms:.1f} everyone_out {everyone} steps {steps}")
    for path in a.against:
        compare(number, clear, peak, dt, path)


if __name__ == "__main__":
    main()
