#!/usr/bin/env python3
"""End-to-end cases of scripts/snapshot: the pictures it writes with
orvik-render, without any X server, and how it fails."""

import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
import case_main  # noqa: E402
import orvik_drive as d  # noqa: E402


def run_script(script, *args, env=None):
    """The script with DISPLAY unset: it must need no X server."""
    env = {k: v for k, v in (env or os.environ).items() if k not in ("DISPLAY", "XAUTHORITY")}
    return subprocess.run([str(script), *args], capture_output=True, text=True, timeout=120,
                          env=env)


def case_picture(script, render, scratch):
    """A plan, some keys: both files, the right size, the same picture, and
    the picture is the plan seen through those keys. Nothing is left
    behind: no program, no scratch folder."""
    plan = d.sample_plan()
    d.write_plan(plan, scratch / "plan")
    # A copy of the program of its own, so that no other test's program
    # can pass for a leftover of this one.
    program = scratch / "bin" / "orvik-render"
    program.parent.mkdir()
    shutil.copy2(render, program)
    tmp = scratch / "tmp"
    tmp.mkdir()
    keys = ["6"] * 5 + ["2"] * 3 + ["w"] * 10
    done = run_script(script, "--program", str(program), "--plan", str(scratch / "plan"),
                      "--keys", " ".join(keys), "--wait", "0.5", str(scratch / "out" / "pic.bmp"),
                      env=dict(os.environ, TMPDIR=str(tmp)))
    d.check(done.returncode == 0, f"status {done.returncode}, stderr {done.stderr!r}")
    bmp = d.read_bmp(scratch / "out" / "pic.bmp")
    d.check_bmp_header(bmp, d.WINDOW_W, d.WINDOW_H)
    d.check_picture(bmp, plan, d.apply_keys(d.View(), keys))
    width, height, rows = d.read_png(scratch / "out" / "pic.png")
    d.check((width, height) == (d.WINDOW_W, d.WINDOW_H), f"PNG is {width} by {height}")
    # PNG rows run top first, BMP rows bottom first.
    for y in range(0, height, 7):
        for x in range(0, width, 3):
            d.check(rows[height - 1 - y][x] == bmp.pixel(x, y),
                    f"PNG and BMP differ at ({x}, {y}): {rows[height - 1 - y][x]}, {bmp.pixel(x, y)}")
    # The same plan as a .plan file: the same picture, converted and gone.
    (scratch / "plan.plan").write_text(d.plan_text(plan))
    done = run_script(script, "--program", str(program), "--plan", str(scratch / "plan.plan"),
                      "--keys", " ".join(keys), str(scratch / "out" / "from-plan.bmp"),
                      env=dict(os.environ, TMPDIR=str(tmp)))
    d.check(done.returncode == 0, f".plan: status {done.returncode}, stderr {done.stderr!r}")
    d.check((scratch / "out" / "from-plan.bmp").read_bytes() == (scratch / "out" / "pic.bmp").read_bytes(),
            "the .plan file's picture differs from its folder's")
    d.check(not any(tmp.iterdir()), f"left behind: {list(tmp.iterdir())}")
    running = subprocess.run(["pgrep", "-f", f"^{program}$"], capture_output=True, text=True)
    d.check(not running.stdout.strip(), f"the program still runs: {running.stdout.split()}")


def case_bad_arguments(script, render, scratch):
    """Usage on --help; a clear message and status 1 for a missing plan
    folder, a wrong extension, no output file or an unknown option, and no
    files written."""
    done = run_script(script, "--help")
    d.check(done.returncode == 0 and "Usage:" in done.stdout and "--keys" in done.stdout,
            f"--help: status {done.returncode}, stdout {done.stdout!r}")
    out = scratch / "out"
    cases = (
        (["--plan", str(scratch / "no-such-plan"), str(out / "a.png")], "no plan folder"),
        (["--plan", str(scratch / "no-such.plan"), str(out / "a.png")], "no plan file"),
        (["--plan", str(scratch), str(out / "a.jpg")], "must end in .png or .bmp"),
        (["--plan", str(scratch)], "no output file"),
        (["--zoom", "2", str(out / "a.png")], "unknown option --zoom"),
        (["--wait", "soon", str(out / "a.png")], "--wait takes seconds"),
        (["--program", "/bin/true", "--plan", str(scratch), str(out / "a.png")],
         "wrote no picture"),
        (["--program", str(render), "--plan", str(scratch), "--keys", "w Left", str(out / "a.png")],
         "\"Left\" is not a key of the program"),
    )
    for args, message in cases:
        done = run_script(script, *args)
        d.check(done.returncode == 1 and message in done.stderr,
                f"{args}: status {done.returncode}, stderr {done.stderr!r}, wanted {message!r}")
    d.check(not out.exists() or not any(out.iterdir()), f"files written: {list(out.iterdir())}")


CASES = {"Picture": case_picture, "BadArguments": case_bad_arguments}


def main():
    return case_main.main(__doc__, CASES, ['script', 'render'])


if __name__ == "__main__":
    sys.exit(main())
