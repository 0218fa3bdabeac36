#!/usr/bin/env python3
"""The table of scripts/bench's load section, from its figures file: lines
"name key value" as bench/bench_json.py prints Google Benchmark's JSON, and
"name key median value" for the medians of the cold runs. Times are the
fastest repetition, anything else the last value given.

    bench/load_table.py FIGURES LOAD REPETITIONS RUNS SLOTS RENDERER CPU"""

import sys

PLANS = ("sample", "station1k", "station10k", "station33k", "openMiddle", "openCorner")
TIMES = ("cpu_time", "real_time")
LABEL = "%-36s"


def number(text):
    """A value as awk reads a number: what does not parse is 0."""
    try:
        return float(text)
    except (TypeError, ValueError):
        return 0.0


def read_figures(path):
    values = {}
    with open(path) as lines:
        for line in lines:
            fields = line.split()
            if len(fields) < 3:
                continue
            name, key = fields[0], fields[1]
            if fields[2] == "median" and len(fields) > 3:
                values[name, key] = fields[3]
            elif key in TIMES:
                value = number(fields[2])
                if (name, key) not in values or value < values[name, key]:
                    values[name, key] = value
            else:
                values[name, key] = fields[2]
    return values


class Table:
    def __init__(self, values):
        self.values = values
        self.plans = [p for p in PLANS if self.get("loadScene/" + p, "cpu_time") != ""]
        self.out = []

    def get(self, name, what):
        return self.values.get((name, what), "")

    def line(self, text=""):
        self.out.append(text)

    def columns(self, label, cell):
        """One row: the label, then cell(plan) for each plan."""
        self.line(LABEL % label + "".join(" %11s" % cell(p) for p in self.plans))

    def row(self, label, step):
        def ms(p):
            us = self.get(step + "/" + p, "cpu_time")
            return "-" if us == "" else "%.3f" % (number(us) / 1000)
        self.columns(label, ms)

    def ratio(self, label, top, bottom):
        def cell(p):
            t, b = self.get(top + "/" + p, "cpu_time"), self.get(bottom + "/" + p, "cpu_time")
            return "-" if t == "" or b == "" or number(b) == 0 else "%.2fx" % (number(t) / number(b))
        self.columns(label, cell)

    def per_cell(self, label, step):
        def cell(p):
            t, c = self.get(step + "/" + p, "cpu_time"), self.get(step + "/" + p, "cells")
            return "-" if t == "" or c == "" or number(c) == 0 else "%.1f" % (number(t) * 1000 / number(c))
        self.columns(label, cell)

    def counter(self, label, name, as_int):
        def cell(p):
            c = self.get("walkCounts/" + p + "/iterations:1", name)
            return "-" if c == "" else ("%d" % int(number(c)) if as_int else "%.1f" % number(c))
        self.columns(label, cell)


def start_up(t, slots):
    t.line(LABEL % "plan" + "".join(" %11s" % p for p in t.plans))
    t.line(LABEL % "cells" + "".join(" %11d" % int(number(t.get("loadScene/" + p, "cells")))
                                     for p in t.plans))
    for label, step in (("baseline: read + split mesh file", "baseline"), ("loadScene", "loadScene"),
                        ("  readMeshFile", "readMeshFile"), ("  fillQuadVertices", "fillQuadVertices"),
                        ("  computeTravelTimes", "computeTravelTimes"),
                        ("  fillQuadColors", "fillQuadColors"),
                        ("readMeshText (bytes in memory)", "readMeshText"),
                        ("computeTravelTimes (text in memory)", "computeTravelTimesText"),
                        ("geodesic times (tools/analysis)", "geodesic")):
        t.row(label, step)
    t.ratio("geodesic / side-move walk", "geodesic", "computeTravelTimesText")
    t.row("baseline on bytes in memory", "baselineText")
    t.row("breadth-first walk (comparison only)", "breadthFirst")
    t.line(LABEL % "loadScene / baseline (goal: 3x)" + "".join(
        " %10.2fx" % (number(t.get("loadScene/" + p, "cpu_time")) / number(t.get("baseline/" + p, "cpu_time")))
        for p in t.plans))
    for label, step in (("baseline", "baseline"), ("loadScene", "loadScene"),
                        ("readMeshText", "readMeshText"), ("computeTravelTimes", "computeTravelTimesText"),
                        ("geodesic times", "geodesic")):
        t.per_cell("ns per cell: " + label, step)
    t.counter("walk: cells reached", "reached", True)
    t.counter("walk: stores per reached cell", "storesPerReached", False)
    t.counter("walk: most stores into one cell", "mostStoresInOneCell", True)
    t.line("(fillQuadVertices and fillQuadColors always cover all %d slots, whatever the plan)" % slots)


def cold(t, runs):
    def cold_of(what):
        return number(t.get("cold", what))
    t.line()
    t.line("sample, once in a fresh process as the program runs it: wall ms, median of %d" % runs)
    t.line("  %-34s %11.3f  (%d page faults)" % ("loadScene", cold_of("loadScene"), cold_of("faults")))
    for step in ("readMeshFile", "fillQuadVertices", "computeTravelTimes", "fillQuadColors"):
        t.line("    %-32s %11.3f" % (step, cold_of(step)))
    t.line("  %-34s %11.3f  (%d page faults)" % ("baseline", cold_of("baseline"), cold_of("baselineFaults")))
    t.line("  %-34s %10.2fx" % ("loadScene / baseline", cold_of("loadScene") / cold_of("baseline")))
    t.line("  %-34s %11.3f" % ("one page fault on this machine, us", cold_of("faultUs")))
    t.line()
    t.line("%-36s %11.2f" % ("timeToColor, ns per call", number(t.get("timeToColor", "cpu_time"))))


def frame(t, renderer):
    names = [name for name, _ in t.values if name.startswith("frame/")]
    scene = names[0].split("/")[1] if names else ""
    t.line()
    t.line("frame in an 800x600 window, %s: wall ms per frame over 300 frames" % scene)
    t.line(renderer)
    t.line("  %-34s %11s %11s %11s" % ("", "mean", "median", "fastest"))
    for step, label in (("frame", "drawing of onDisplay + glFinish"),
                        ("onDisplay", "onDisplay (swap first) + glFinish"),
                        ("drawCells", "drawCells + glFinish"), ("drawWalls", "drawWalls + glFinish"),
                        ("drawLegend", "drawLegend + glFinish")):
        name = step + "/" + scene + "/iterations:300/manual_time"
        t.line("  %-34s %11.3f %11.3f %11.3f" % (label, number(t.get(name, "real_time")),
                                                 number(t.get(name, "medianMs")),
                                                 number(t.get(name, "fastestMs"))))
    a = "frameAllocations/" + scene + "/iterations:300"

    def of(key):
        return number(t.get(a, key))
    t.line("  %-34s %11.1f" % ("heap allocations per frame, all", of("allocsPerFrame")))
    t.line("  %-34s %11.1f" % ("  of them by this program", of("ownAllocsPerFrame")))
    t.line("  %-34s swap %.1f, drawLegend %.1f, setMapView %.1f, drawCells %.1f, drawWalls %.1f" % (
        "  in each step (all in the driver)", of("inSwap"), of("inDrawLegend"), of("inSetMapView"),
        of("inDrawCells"), of("inDrawWalls")))


def main():
    figures, load, reps, runs, slots, renderer, cpu = sys.argv[1:8]
    t = Table(read_figures(figures))
    t.line("ORVIK benchmarks: %s, load average at start %s" % (cpu, load))
    t.line("start-up: CPU ms, fastest of %d repetitions" % int(reps))
    t.line()
    start_up(t, int(slots))
    cold(t, int(runs))
    frame(t, renderer)
    t.line()
    t.line("program start-up on the sample, median of %d runs (wall ms)" % int(runs))
    t.line("  %-34s %11s" % ("window exists", t.get("startup", "window")))
    t.line("  %-34s %11s" % ("first complete picture written", t.get("startup", "picture")))
    print("\n".join(t.out))


if __name__ == "__main__":
    main()
