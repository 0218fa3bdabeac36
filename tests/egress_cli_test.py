#!/usr/bin/python3
"""orvik-egress as a person runs it: on the sample from build/ with no
arguments, on small plans written here, with bad arguments and bad
scenarios (status 2, nothing written), with a limit that fails (status 1),
its outputs whole and the same from run to run, and its times drawn by
orvik-render.

    egress_cli_test.py --egress PROGRAM --render PROGRAM --plan2mesh PROGRAM
                       --in DIR --scratch DIR"""

import argparse
import json
import re
import os
import shutil
import subprocess
import sys
import unittest
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent / "e2e"))
import orvik_drive  # noqa: E402  (its PNG reader)

ARGS = None

PLAN = """EE....
......
pp..pp
pppppp
"""

SCENARIO = """cell_side = 0.5
[people.density]
platform = 2.0
[limits]
everyone_out = 60
[limits.cleared]
platform = 30
"""


def run(*args, cwd=None):
    return subprocess.run([ARGS.egress, *args], cwd=cwd, capture_output=True, text=True)


class Folder:
    """A plan folder with Mesh.csv, ExitGrid.dat and station.toml."""

    def __init__(self, name, scenario=SCENARIO, plan=PLAN):
        self.dir = Path(ARGS.scratch) / name
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir.mkdir(parents=True)
        (self.dir / "station.plan").write_text(plan)
        subprocess.run([ARGS.plan2mesh, "station.plan", "Mesh.csv", "ExitGrid.dat"],
                       cwd=self.dir, check=True, capture_output=True)
        (self.dir / "station.toml").write_text(scenario)

    def path(self, name):
        return str(self.dir / name)


class Sample(unittest.TestCase):
    def test_runs_on_the_sample_with_no_arguments(self):
        build = Path(ARGS.scratch) / "build"
        build.mkdir(parents=True, exist_ok=True)
        link = Path(ARGS.scratch) / "in"
        if not link.exists():
            link.symlink_to(Path(ARGS.in_dir).resolve())
        r = run(cwd=build)
        self.assertEqual(r.returncode, 0, r.stderr + r.stdout)
        self.assertIn("Everyone out:", r.stdout)
        self.assertIn("8 doors (48 exit cells)", r.stdout)
        self.assertIn("Result: every limit passed (exit status 0).", r.stdout)
        self.assertEqual(r.stderr, "")


class Levels(unittest.TestCase):
    def test_the_two_level_sample_and_its_worst_stair(self):
        r = run("--plan", str(Path(ARGS.in_dir) / "two-level"), "--blocked", "--json")
        self.assertIn(r.returncode, (0, 1), r.stderr)
        report = json.loads(r.stdout)
        self.assertEqual([(j["label"], j["kind"], j["cellsAcross"], j["runs"]) for j in report["joins"]],
                         [("1", "stair", 4, None), ("2", "stair", 4, None),
                          ("3", "escalator", 2, "up"), ("4", "escalator", 2, "down")])
        platform = next(l for l in report["limits"] if l["kind"] == "platform")
        self.assertTrue(platform["passed"], platform)
        cases = report["blocked"]["cases"]
        self.assertEqual([c["join"] for c in cases if c["join"] is not None], ["1", "2", "3", "4"])
        escalator = next(c for c in cases if c["join"] == "3")
        self.assertFalse(next(l for l in escalator["limits"] if l["kind"] == "platform")["passed"])
        worst = max(cases, key=lambda c: (sum(not l["passed"] for l in c["limits"]), c["everyoneOutSeconds"]))
        self.assertEqual(report["blocked"]["worst"], {"door": worst["door"], "join": worst["join"]})
        self.assertEqual(report["blocked"]["worstJoin"], worst["join"])

    def test_a_stair_out_of_service_on_a_plan_of_two_levels(self):
        plan = "== level Street\nEEEE\n....\n.ss.\n.11.\n\n== level Deep\n.11.\n.ss.\npppp\n"
        f = Folder("levels", SCENARIO.replace("[limits]", "[joins]\nout_of_service = [\"1\"]\n[limits]"), plan)
        r = run("--plan", str(f.dir))
        self.assertEqual(r.returncode, 1, r.stderr)
        self.assertIn("Between levels: stair 1 1.0 m out of service", r.stdout)
        self.assertIn("People: 2.0 placed, 2.0 of them with no way out", r.stdout)
        open_stair = Folder("levels-open", SCENARIO, plan)
        r = run("--plan", str(open_stair.dir), "--blocked")
        self.assertIn("Each stair and escalator out of service in turn\n  stair 1 ", r.stdout)
        self.assertIn("Worst stair or escalator: stair 1 out of service, everyone out never", r.stdout)
        bad = Folder("levels-bad", SCENARIO + "[joins]\nout_of_service = [\"2\"]\n", plan)
        r = run("--plan", str(bad.dir))
        self.assertEqual(r.returncode, 2)
        self.assertIn("station.toml:9: joins.out_of_service: no stair or escalator is labelled \"2\" (the plan's: 1)",
                      r.stderr)


class Outputs(unittest.TestCase):
    def test_reports_files_and_their_sameness(self):
        f = Folder("outputs")
        outs = []
        for i in range(2):
            names = [f.path(f"t{i}.csv"), f.path(f"c{i}.csv"), f.path(f"r{i}.json")]
            r = run("--plan", str(f.dir), "--times", names[0], "--curve", names[1], "--json")
            self.assertIn(r.returncode, (0, 1), r.stderr)
            Path(names[2]).write_text(r.stdout)
            outs.append([Path(n).read_bytes() for n in names])
        self.assertEqual(outs[0], outs[1])
        report = json.loads(outs[0][2])
        for key in ("everyoneOutSeconds", "people", "peopleOut", "kinds", "doors", "limits"):
            self.assertIn(key, report)
        self.assertEqual(report["people"], 10 * 0.25 * 2.0)
        self.assertAlmostEqual(report["peopleOut"], report["people"], places=2)
        self.assertIn("clearedSeconds", report["kinds"]["platform"])
        door = report["doors"][0]
        for key in ("people", "firstOutSeconds", "lastOutSeconds", "peakFlow"):
            self.assertIn(key, door)
        self.assertEqual([l["passed"] for l in report["limits"]], [True, True])
        times = outs[0][0].decode().splitlines()
        self.assertEqual(times[0], "cell,column,row,kind,people,clear_seconds,peak_density,dense_seconds,wait_seconds,walk_seconds")
        self.assertEqual(len(times), 1 + 24)
        curve = outs[0][1].decode().splitlines()
        self.assertEqual(curve[0], "seconds,out,door1")
        self.assertEqual(curve[1], "0.000,0.000,0.000")
        self.assertEqual(len(curve), 2 + report["steps"])

    def test_a_failed_limit_gives_status_one(self):
        f = Folder("tight", SCENARIO.replace("platform = 30", "platform = 1"))
        r = run("--plan", str(f.dir))
        self.assertEqual(r.returncode, 1, r.stderr)
        self.assertIn("platform cleared by 1 s:", r.stdout)
        self.assertIn("FAILED", r.stdout)
        self.assertIn("Result: a limit failed (exit status 1).", r.stdout)

    def test_blocked_doors_name_the_worst(self):
        f = Folder("blocked", plan="EE....E\n.......\npp..ppp\n")
        r = run("--plan", str(f.dir), "--blocked", "--json")
        report = json.loads(r.stdout)
        cases = report["blocked"]["cases"]
        self.assertEqual([c["door"] for c in cases], [1, 2])
        worst = max(cases, key=lambda c: (sum(not l["passed"] for l in c["limits"]), c["everyoneOutSeconds"]))
        self.assertEqual(report["blocked"]["worstDoor"], worst["door"])
        # Each case line says what each time is, and the everyone-out time once.
        text = run("--plan", str(f.dir), "--blocked").stdout
        lines = [l for l in text.splitlines() if re.match(r"  [12] ", l)][-2:]
        self.assertEqual(len(lines), 2, text)
        for line in lines:
            self.assertEqual(line.count("everyone out "), 1, line)
            self.assertIn("platform cleared ", line)
            seconds = re.findall(r"(\d+\.\d) s", line)
            self.assertEqual(len(seconds), 2, line)

    def test_block_names_a_door_as_the_blocked_case_and_the_scenario_do(self):
        f = Folder("block", plan="EE....E\n.......\npp..ppp\n# door West = 1:1\n")
        case = json.loads(run("--plan", str(f.dir), "--blocked", "--json").stdout)["blocked"]["cases"][0]
        by_name = json.loads(run("--plan", str(f.dir), "--block", "West", "--json").stdout)
        by_number = json.loads(run("--plan", str(f.dir), "--block", "1", "--json").stdout)
        self.assertEqual(by_name, by_number)
        self.assertEqual([(d["number"], d["blocked"]) for d in by_name["doors"]], [(1, True), (2, False)])
        self.assertEqual(by_name["everyoneOutSeconds"], case["everyoneOutSeconds"])
        Path(f.path("west.toml")).write_text(SCENARIO + '[doors]\nblocked = ["West"]\n')
        in_file = json.loads(run("--plan", str(f.dir), "--scenario", f.path("west.toml"), "--json").stdout)
        self.assertEqual(in_file["doors"], by_name["doors"])
        self.assertEqual(in_file["everyoneOutSeconds"], by_name["everyoneOutSeconds"])

    def test_chart_is_a_png(self):
        f = Folder("chart")
        r = run("--plan", str(f.dir), "--chart", f.path("chart.png"))
        self.assertIn(r.returncode, (0, 1), r.stderr)
        self.assertEqual(Path(f.path("chart.png")).read_bytes()[:8], b"\x89PNG\r\n\x1a\n")

    def test_chart_legend_keeps_door_names_inside_the_picture(self):
        # Door names in the legend used to run off the picture's right edge
        # ("door 2 "Market Street st" on the sample); a name too long for the
        # widest legend is cut with "...". Each door's own column of pixels
        # at the right edge must stay white.
        for name in ("Market Street stair", "The very long name of the only street entrance here"):
            f = Folder("chart-names", plan=PLAN + "# door " + name + " = 1:1\n")
            r = run("--plan", str(f.dir), "--chart", f.path("chart.png"))
            self.assertIn(r.returncode, (0, 1), r.stderr)
            width, height, rows = orvik_drive.read_png(Path(f.path("chart.png")))
            edge = [rows[y][x] for y in range(height) for x in range(width - 4, width)]
            self.assertEqual(set(edge), {(255, 255, 255)}, name)

    def test_times_are_drawn_by_orvik_render(self):
        f = Folder("render")
        run("--plan", str(f.dir), "--times", f.path("t.csv"))
        for column in ("clear_seconds", "peak_density", "dense_seconds", "wait_seconds"):
            r = subprocess.run([ARGS.render, "--plan", str(f.dir), "--times", f.path("t.csv"),
                                "--column", column, f.path(column + ".png")],
                               capture_output=True, text=True)
            self.assertEqual(r.returncode, 0, r.stderr)


class Refusals(unittest.TestCase):
    def refused(self, folder, *args, says):
        outs = [folder.path(n) for n in ("t.csv", "c.csv", "chart.png")]
        r = run("--plan", str(folder.dir), *args, "--times", outs[0], "--curve", outs[1], "--chart", outs[2])
        self.assertEqual(r.returncode, 2, r.stdout)
        self.assertIn(says, r.stderr)
        self.assertEqual(r.stderr.count("\n"), 1, r.stderr)
        for o in outs:
            self.assertFalse(os.path.exists(o), o)
        self.assertEqual(sorted(p.name for p in folder.dir.iterdir()),
                         ["ExitGrid.dat", "Mesh.csv", "station.plan", "station.toml"])

    def test_bad_scenarios_write_nothing(self):
        cases = {
            "unknown": ("[kinds.floor]\nsped = 1.2\n", "station.toml:2: unknown key 'sped'"),
            "negative": ("[people.density]\nplatform = -1\n", "station.toml:2: people.density.platform must not be negative"),
            "kind": ("[limits.cleared]\nescalator = 60\n", "station.toml:2: limits.cleared.escalator: the plan has no cells"),
            "jam": ("[people.density]\nplatform = 6\n", "station.toml:2: people on 'platform' come to 6 persons per m²"),
            "toml": ("cell_side = [\n", "station.toml:"),
        }
        for name, (scenario, says) in cases.items():
            with self.subTest(name):
                self.refused(Folder("bad-" + name, scenario), says=says)

    def test_bad_arguments_and_files(self):
        f = Folder("args")
        for args in (["--route", "fastest"], ["--times"], ["--frobnicate"], ["--plan", ""]):
            with self.subTest(args):
                r = run(*args)
                self.assertEqual(r.returncode, 2)
                self.assertIn("usage: orvik-egress", r.stderr)
        self.refused(f, "--mesh", f.path("NoSuch.csv"), says="NoSuch.csv: cannot be opened")
        self.refused(f, "--scenario", f.path("none.toml"), says="none.toml: cannot be opened")

    def test_an_unknown_door_lists_the_doors(self):
        f = Folder("unknown-door", plan="EE....E\n.......\npp..ppp\n# door West = 1:1\n")
        self.refused(f, "--block", "3", says='--block: no door is named or numbered "3"; the doors are: 1 "West", 2')
        self.refused(f, "--block", "west", says='no door is named or numbered "west"')

    def test_an_output_never_replaces_an_input(self):
        f = Folder("inputs")
        before = Path(f.path("Mesh.csv")).read_bytes()
        r = run("--plan", str(f.dir), "--times", f.path("Mesh.csv"))
        self.assertEqual(r.returncode, 2)
        self.assertIn("is an input file", r.stderr)
        self.assertEqual(Path(f.path("Mesh.csv")).read_bytes(), before)

    def test_a_plan_read_in_part_is_said_on_stderr(self):
        f = Folder("partial")
        mesh = Path(f.path("Mesh.csv"))
        mesh.write_text(mesh.read_text().replace("\n24 ", "\n24, ", 1))
        r = run("--plan", str(f.dir))
        self.assertIn(r.returncode, (0, 1))
        self.assertIn("orvik-egress: warning: Mesh.csv:27: field 2 \",\" is not a whole number; "
                      "reading stops here, the records before it are used", r.stderr)


class PlanFile(unittest.TestCase):
    """--plan FILE.plan: converted on the fly into a temporary folder that
    is gone afterwards, the scenario NAME.toml beside NAME.plan, else
    station.toml there; refusals in one line with status 2."""

    def setUp(self):
        self.tmp = Path(ARGS.scratch) / "plan-file-tmp"
        shutil.rmtree(self.tmp, ignore_errors=True)
        self.tmp.mkdir(parents=True)

    def run_plan(self, *args):
        env = dict(os.environ, TMPDIR=str(self.tmp))
        r = subprocess.run([ARGS.egress, *map(str, args)], capture_output=True, text=True, env=env)
        self.assertEqual(list(self.tmp.iterdir()), [], "a temporary folder was left")
        return r

    def test_a_plan_file_gives_the_report_of_its_folder(self):
        f = Folder("plan-file")
        by_folder = json.loads(run("--plan", str(f.dir), "--json").stdout)
        r = self.run_plan("--plan", f.path("station.plan"), "--json")
        self.assertIn(r.returncode, (0, 1), r.stderr)
        by_plan = json.loads(r.stdout)
        self.assertEqual((by_plan["mesh"], by_plan["exits"], by_plan["plan"], by_plan["scenario"]),
                         (f.path("station.plan"),) * 3 + (f.path("station.toml"),))
        self.assertIsNone(by_folder["plan"])
        for key in ("mesh", "exits", "plan"):
            del by_plan[key], by_folder[key]
        self.assertEqual(by_plan, by_folder)
        text = self.run_plan("--plan", f.path("station.plan")).stdout
        self.assertTrue(text.startswith(f"orvik-egress: {f.path('station.plan')} converted by plan2mesh, "
                                        f"scenario {f.path('station.toml')}\n"), text[:200])

    def test_the_plans_own_scenario_first_then_station_toml(self):
        f = Folder("plan-scenario")
        (f.dir / "depot.plan").write_text(PLAN)
        (f.dir / "depot.toml").write_text(SCENARIO.replace("platform = 30", "platform = 1"))
        r = self.run_plan("--plan", f.path("depot.plan"))
        self.assertEqual(r.returncode, 1, r.stderr)  # depot.toml's tight limit
        self.assertIn(f"scenario {f.path('depot.toml')}\n", r.stdout)
        (f.dir / "depot.toml").unlink()
        r = self.run_plan("--plan", f.path("depot.plan"))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn(f"scenario {f.path('station.toml')}\n", r.stdout)
        (f.dir / "station.toml").unlink()
        r = self.run_plan("--plan", f.path("depot.plan"))
        self.assertEqual((r.returncode, r.stdout), (2, ""))
        self.assertEqual(r.stderr, f"orvik-egress: no scenario beside {f.path('depot.plan')}: neither "
                                   f"{f.path('depot.toml')} nor {f.path('station.toml')}; give --scenario FILE\n")
        (f.dir / "night.toml").write_text(SCENARIO)
        r = self.run_plan("--plan", f.path("depot.plan"), "--scenario", f.path("night.toml"))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn(f"scenario {f.path('night.toml')}\n", r.stdout)

    def test_missing_bad_and_positional_are_refused_in_one_line(self):
        f = Folder("plan-refused")
        (f.dir / "bad.plan").write_text("E.x\n")
        out = f.path("t.csv")
        cases = ((["--plan", f.path("nowhere")], "nowhere is neither a folder with Mesh.csv and ExitGrid.dat"),
                 (["--plan", f.path("nowhere.plan")], "cannot read " + f.path("nowhere.plan")),
                 (["--plan", f.path("bad.plan")], "bad.plan:1:3: unknown character 'x'"),
                 (["--plan", f.path("station.plan"), f.path("Mesh.csv")], "a file name without an option"),
                 (["--plan", str(f.dir), f.path("Mesh.csv"), f.path("ExitGrid.dat")], "a file name without an option"))
        for args, says in cases:
            with self.subTest(args):
                r = self.run_plan(*args, "--times", out)
                self.assertEqual(r.returncode, 2, r.stdout)
                self.assertEqual(r.stderr.count("\n"), 1, r.stderr)
                self.assertTrue(r.stderr.startswith("orvik-egress: ") and says in r.stderr, r.stderr)
                self.assertFalse(os.path.exists(out))


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ("--egress", "--render", "--plan2mesh", "--in", "--scratch"):
        parser.add_argument(name, required=True, dest=name[2:].replace("in", "in_dir") if name == "--in" else None)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
