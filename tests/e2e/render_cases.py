#!/usr/bin/env python3
"""Cases of orvik-render, the offscreen renderer. The "window" cases run the
real program in a private Xvfb and compare its snapshot.bmp byte for byte
with orvik-render's BMP for the same plan, keys and window size; every
other case runs orvik-render alone, with DISPLAY unset."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
import orvik_drive as d  # noqa: E402

REPO = Path(__file__).resolve().parents[2]
CHECKER = None  # orvik-check, from the command line


def render(program, *args, cwd=None, extra_env=None):
    """orvik-render with DISPLAY unset: it must need no X server."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "XAUTHORITY")}
    env.update(extra_env or {})
    return subprocess.run([str(program), *map(str, args)], capture_output=True, text=True,
                          timeout=60, env=env, cwd=cwd)


def render_ok(program, *args):
    done = render(program, *args)
    d.check(done.returncode == 0 and done.stderr == "",
            f"orvik-render {' '.join(map(str, args))}: status {done.returncode}, "
            f"stderr {done.stderr!r}")


def compare_files(window, offscreen, what):
    """Byte for byte; on a difference, how many pixels and where."""
    a, b = window.data, offscreen.data
    if a == b:
        return
    d.check(a[:d.BMP_HEADER] == b[:d.BMP_HEADER], f"{what}: BMP headers differ")
    wrong = [((i - d.BMP_HEADER) // 4 % window.width, (i - d.BMP_HEADER) // 4 // window.width)
             for i in range(d.BMP_HEADER, len(a), 4) if a[i:i + 4] != b[i:i + 4]]
    raise d.Failure(f"{what}: {len(wrong)} pixels differ between the window and orvik-render, "
                    f"first (x, y): {wrong[:6]}")


def leftover_files(folder):
    return sorted(p.name for p in folder.iterdir()) if folder.exists() else []


# ------------------------------------------------------ against the window

def same_pixels(orvik, render_program, scratch, plan, steps, source=None):
    """Keys and window sizes step by step in the window; after each step
    the settled snapshot against one orvik-render call with all keys so far."""
    pressed = []
    def copy_source(folder):
        for name in ("Mesh.csv", "ExitGrid.dat"):
            shutil.copy(source / name, folder / name)

    write_in = None if source is None else copy_source
    with d.running_program(orvik, scratch, plan, write_in=write_in) as session:
        plan_dir = session.run_dir.parent / "in"
        for keys, size in steps:
            d.press(session, keys, delay_ms=2)
            pressed += keys
            if size is not None:
                d.xdotool(session.env, "windowsize", session.window, *map(str, size))
            shown = size or (d.WINDOW_W, d.WINDOW_H)
            window = d.settled_snapshot(session, size=shown)
            out = scratch / f"offscreen-{len(pressed)}-{shown[0]}x{shown[1]}.bmp"
            render_ok(render_program, "--plan", plan_dir, "--size", f"{shown[0]}x{shown[1]}",
                      "--keys", " ".join(pressed), out)
            compare_files(window, d.read_bmp(out),
                          f"after {d.describe_keys(pressed) or 'no keys'} at {shown}")
        d.quit_with_escape(session)


def case_window_start(orvik, program, scratch):
    """The start picture of the small plan: map, walls, panel, legend bar
    and both labels, every byte."""
    same_pixels(orvik, program, scratch, d.sample_plan(), [([], None)])


def case_window_keys(orvik, program, scratch):
    """Pans, zooms both ways, the zoom floor and the resets give the same
    pixels, and so do larger and smaller windows."""
    steps = [(["w"] * 30, None), (["6"] * 5 + ["k"] * 3, None), (["W"] * 70 + ["j", "i"], None),
             (["0"], None), (["w"] * 120, None), (["R", "l", "l", "w"], (900, 700)),
             (["2"] * 4, (640, 480))]
    same_pixels(orvik, program, scratch, d.sample_plan(), steps)


def case_window_station(orvik, program, scratch):
    """The sample station of in/, 26,522 cells: whole, zoomed in, panned."""
    steps = [([], None), (["w"] * 60 + ["4"] * 20 + ["8"] * 9, None)]
    same_pixels(orvik, program, scratch, None, steps, source=REPO / "in")


# ------------------------------------------------------ orvik-render alone

def case_arguments(orvik, program, scratch):
    """Each wrong command line: status 2, one line on stderr that says what
    is wrong, and no file written."""
    out = scratch / "out"
    out.mkdir()
    png = out / "a.png"
    cases = (
        ([], "no output file named"),
        ([out / "a.jpg"], "must end in .png or .bmp"),
        (["--zoom", "2", png], "unknown option --zoom"),
        ([png, "--size"], "--size needs a value"),
        (["--size", "800", png], "--size takes WIDTHxHEIGHT"),
        (["--size", "0x600", png], "--size takes WIDTHxHEIGHT"),
        (["--size", "800x600x3", png], "--size takes WIDTHxHEIGHT"),
        (["--size", "-800x600", png], "--size takes WIDTHxHEIGHT"),
        (["--plan", "", png], "--plan needs a value that is not empty"),
        ([png, "--size", "900x700"], "options after the last output"),
        (["--column", "geodesic_seconds", png], "needs --times"),
        (["--keys", "w w Left", png], "\"Left\" is not a key of the program"),
        (["--keys", "q", png], "\"q\" is not a key of the program"),
        (["--keys", "ww", png], "\"ww\" is not a key of the program"),
        (["--keys", "6 s", png], "\"s\" saves the window's picture"),
        (["--keys", "Escape", png], "Escape quits the program"),
        ([png, "--keys", "w", out / "b.png", "--keys", "F1", out / "c.png"], "\"F1\" is not a key"),
    )
    for args, message in cases:
        done = render(program, *args)
        lines = done.stderr.splitlines()
        d.check(done.returncode == 2 and len(lines) == 1 and message in lines[0]
                and lines[0].startswith("orvik-render: "),
                f"{[str(a) for a in args]}: status {done.returncode}, stderr {done.stderr!r}, "
                f"wanted one line with {message!r}")
    d.check(not leftover_files(out), f"files written: {leftover_files(out)}")
    done = render(program, "--help")
    d.check(done.returncode == 0 and "Usage: orvik-render" in done.stdout and "--keys" in done.stdout,
            f"--help: status {done.returncode}, stdout {done.stdout!r}")


def case_unwritable(orvik, program, scratch):
    """An output that cannot be written, or no OpenGL to draw with: status
    1, one line saying why, the outputs before it whole, no partial or
    temporary file, an existing file of that name unchanged."""
    plan = d.sample_plan()
    d.write_plan(plan, scratch / "in")
    out = scratch / "out"
    out.mkdir()
    (out / "folder.png").mkdir()
    (out / "kept.png").write_bytes(b"old picture")
    (scratch / "full.png").symlink_to("/dev/full")  # a device is written in place
    for target, reason in ((out / "no-such-folder" / "a.png", "No such file or directory"),
                           (out / "folder.png", "Is a directory"),
                           (scratch / "full.png", "No space left on device")):
        done = render(program, "--plan", scratch / "in", out / "first.bmp", "--keys", "w", target,
                      out / "never.png")
        d.check(done.returncode == 1 and done.stderr.count("\n") == 1
                and f"orvik-render: {target}" in done.stderr and reason in done.stderr,
                f"{target}: status {done.returncode}, stderr {done.stderr!r}")
        d.check_picture(d.read_bmp(out / "first.bmp"), plan, d.View())
        d.check(leftover_files(out) == ["first.bmp", "folder.png", "kept.png"],
                f"{target}: files left: {leftover_files(out)}")
        (out / "first.bmp").unlink()
    # An output that is one of the picture's own inputs, here through a link.
    (scratch / "plan.png").write_bytes((scratch / "in" / "Mesh.csv").read_bytes())
    (scratch / "link.png").symlink_to(scratch / "plan.png")
    done = render(program, "--plan", scratch / "in", "--mesh", scratch / "plan.png",
                  scratch / "link.png")
    d.check(done.returncode == 1 and "is an input of this picture" in done.stderr,
            f"output over an input: status {done.returncode}, stderr {done.stderr!r}")
    d.check((scratch / "plan.png").read_bytes() == (scratch / "in" / "Mesh.csv").read_bytes(),
            "the input was overwritten")
    # No EGL driver at all (glvnd finds no vendor file): no context.
    done = render(program, "--plan", scratch / "in", out / "kept.png",
                  extra_env={"__EGL_VENDOR_LIBRARY_FILENAMES": str(scratch / "none.json")})
    d.check(done.returncode == 1 and done.stderr.startswith("orvik-render: no offscreen OpenGL: ")
            and done.stderr.count("\n") == 1,
            f"without EGL: status {done.returncode}, stderr {done.stderr!r}")
    d.check((out / "kept.png").read_bytes() == b"old picture", "kept.png was changed")


def case_broken_inputs(orvik, program, scratch):
    """A mesh whose reading stops early, records and exits skipped, an exit
    file that is not numbers and an endless mesh (/dev/zero) are drawn as
    the program draws them, status 0, each loss named on standard error
    with file, line and reason; the endless one within the time bound."""
    plan = d.sample_plan()
    d.write_plan(plan, scratch / "in")
    mesh = (scratch / "in" / "Mesh.csv").read_text().splitlines(keepends=True)
    fields = mesh[5].split(" ")
    fields[1] += ","  # glued to the right neighbour: reading stops at record 3
    mesh[5] = " ".join(fields)
    (scratch / "cut.csv").write_text("".join(mesh))
    (scratch / "words.dat").write_text("north south\n")
    (scratch / "far.dat").write_text(f"{plan.cell_id(*plan.exit_cell)}\n40000\n")
    cases = (
        (["--mesh", scratch / "cut.csv"],
         [f"cut.csv:6: record 3, field 3 \",\" is not a whole number, reading stops there"]),
        (["--exits", scratch / "words.dat"],
         ["words.dat:1: \"north\" is not a whole number", "words.dat: no exit to walk from"]),
        (["--exits", scratch / "far.dat"],
         ["far.dat:2: exit 40000 is outside 0 to 33414; 1 exit is skipped"]),
        (["--mesh", "/dev/zero"],
         ["/dev/zero:1: a header line longer than 1048576 bytes; reading stops there"]),
    )
    for args, wanted in cases:
        out = scratch / "out.png"
        done = render(program, "--plan", scratch / "in", *args, out)
        lines = done.stderr.splitlines()
        d.check(done.returncode == 0 and out.exists() and len(lines) == len(wanted)
                and all(line.startswith("orvik-render: warning: ") and want in line
                        for line, want in zip(lines, wanted)),
                f"{args}: status {done.returncode}, stderr {done.stderr!r}, wanted {wanted}")
        out.unlink()


def times_csv(plan, value_of, columns, missing=()):
    """A times CSV in orvik-check's layout with the columns in the given
    order; cells in `missing` get no row."""
    lines = [",".join(columns)]
    for (c, r) in sorted(plan.times):
        if (c, r) in missing:
            continue
        fields = {"cell": str(plan.cell_id(c, r)), "column": str(c), "row": str(r),
                  "seconds": "999", "geodesic_seconds": "1.5"}
        value = value_of(c, r)
        fields["worst_blocked_seconds"] = "" if value is None else repr(value)
        lines.append(",".join(fields[name] for name in columns))
    return "\r\n".join(lines) + "\r\n"


def case_times_colours(orvik, program, scratch):
    """--times colours each cell from the named column, fractional seconds
    included; an empty value and a cell without a row show as unreached;
    a malformed file is an error naming file and line. The checker's own
    times file gives the picture of the walk, byte for byte."""
    plan = d.sample_plan()
    d.write_plan(plan, scratch / "in")
    check = subprocess.run([str(CHECKER), str(scratch / "in" / "Mesh.csv"),
                            str(scratch / "in" / "ExitGrid.dat"), "--times",
                            str(scratch / "checked.csv")], capture_output=True, text=True)
    d.check(check.returncode in (0, 1), f"orvik-check: status {check.returncode} {check.stderr!r}")
    render_ok(program, "--plan", scratch / "in", "--times", scratch / "checked.csv",
              scratch / "checked.bmp", "--exits", scratch / "in" / "ExitGrid.dat",
              scratch / "walked.bmp")
    d.check((scratch / "checked.bmp").read_bytes() == (scratch / "walked.bmp").read_bytes(),
            "the checker's times give another picture than the walk")

    def value(c, r):
        return None if (c, r) == (3, 3) else 17.25 * c + 41.5 * (r - 1) + 0.375

    columns = ["row", "cell", "worst_blocked_seconds", "column", "seconds"]
    csv = scratch / "times.csv"
    csv.write_text(times_csv(plan, value, columns, missing={(5, 1)}))
    out = scratch / "times.bmp"
    render_ok(program, "--plan", scratch / "in", "--times", csv, "--column",
              "worst_blocked_seconds", out)
    bmp = d.read_bmp(out)
    bounds = d.view_bounds(plan.extent(), d.View())
    for (c, r) in plan.times:
        x, y = d.to_window(bounds, 2.0 * c - 1.0, 2.0 * r - 1.0)
        want = d.time_color(None if (c, r) == (5, 1) else value(c, r))
        got = bmp.pixel(int(x), int(y))
        d.check(d.near(got, want, 1), f"cell {(c, r)} shows {got}, expected {want}")
    bad = (("cell,seconds\n1,4\n2,4,5\n", "times.csv:3: 3 fields where the header has 2"),
           ("cell,seconds\n1,4\n2,4s\n", "times.csv:3: \"4s\" is not a time in seconds"),
           ("cell,seconds\n1,-4\n", "times.csv:2: \"-4\" is not a time"),
           ("cell,seconds\n1,4\n1,8\n", "times.csv:3: cell 1 has a second row"),
           ("cell,seconds\n99999999,4\n", "times.csv:2: cell \"99999999\" is not a cell number"),
           ("cell,column,row\n1,1,1\n", "times.csv:1: no column \"seconds\""),
           ("", "times.csv:1: no header line"))
    for text, message in bad:
        csv.write_text(text)
        done = render(program, "--plan", scratch / "in", "--times", csv, scratch / "bad.png")
        d.check(done.returncode == 1 and message in done.stderr and done.stderr.count("\n") == 1,
                f"{text!r}: status {done.returncode}, stderr {done.stderr!r}, wanted {message!r}")
        d.check(not (scratch / "bad.png").exists(), f"{text!r}: a picture was written")


def case_batch(orvik, program, scratch):
    """Two exit files in one call give the pictures of two calls, each the
    walk from its own exits; size carries over to later outputs, keys do
    not; the PNG holds the BMP's pixels."""
    plan = d.sample_plan()
    d.write_plan(plan, scratch / "in")
    other = d.sample_plan()
    other.exit_cell = (1, 4)
    other.times = d.walking_times(other)
    (scratch / "other.dat").write_text(f"{other.cell_id(*other.exit_cell)}\n")
    out = scratch / "batch"
    out.mkdir()
    render_ok(program, "--plan", scratch / "in", "--keys", "w w 6", out / "a.bmp",
              "--exits", scratch / "other.dat", out / "b.bmp", "--size", "900x700", out / "c.bmp",
              "--plan", scratch / "in", out / "d.png")
    render_ok(program, "--plan", scratch / "in", "--keys", "w w 6", scratch / "alone-a.bmp")
    render_ok(program, "--plan", scratch / "in", "--exits", scratch / "other.dat",
              scratch / "alone-b.bmp")
    for name, alone in (("a.bmp", "alone-a.bmp"), ("b.bmp", "alone-b.bmp")):
        d.check((out / name).read_bytes() == (scratch / alone).read_bytes(),
                f"{name} of the batch differs from {alone}")
    d.check_picture(d.read_bmp(out / "a.bmp"), plan, d.apply_keys(d.View(), ["w", "w", "6"]))
    d.check_picture(d.read_bmp(out / "b.bmp"), other, d.View())
    c = d.read_bmp(out / "c.bmp")
    d.check_bmp_header(c, 900, 700)
    d.check_picture(c, other, d.View())
    width, height, rows = d.read_png(out / "d.png")
    d.check((width, height) == (900, 700), f"d.png is {width} by {height}")
    render_ok(program, "--plan", scratch / "in", "--size", "900x700", scratch / "alone-d.bmp")
    start = d.read_bmp(scratch / "alone-d.bmp")
    wrong = [(x, y) for y in range(height) for x in range(0, width, 3)
             if rows[height - 1 - y][x] != start.pixel(x, y)]
    d.check(not wrong, f"d.png differs from the BMP of the same picture at {wrong[:5]}")


def case_what_if_pictures(orvik, program, scratch):
    """The checker's what-if files drawn in one call: each door's exit file
    gives the walk without that door, and the worst_blocked_seconds column
    colours every cell by the longest of those times (unreached when some
    door's case leaves it so), as a breadth-first search here predicts."""
    plan = d.sample_plan()
    d.write_plan(plan, scratch / "in")
    doors = [(6, 4), (1, 4)]  # (1, 4) reaches only the cells above the walls
    (scratch / "in" / "ExitGrid.dat").write_text(
        "".join(f"{plan.cell_id(*e)}\n" for e in doors))
    check = subprocess.run([str(CHECKER), str(scratch / "in" / "Mesh.csv"),
                            str(scratch / "in" / "ExitGrid.dat"), "--blocked", "--times",
                            str(scratch / "times.csv"), "--exits-dir", str(scratch / "whatif")],
                           capture_output=True, text=True)
    d.check(check.returncode in (0, 1), f"orvik-check: status {check.returncode} {check.stderr!r}")
    files = sorted((scratch / "whatif").iterdir())
    d.check([f.name for f in files] == ["door1-c6-r4.dat", "door2-c1-r4.dat"],
            f"exit files {[f.name for f in files]}")
    render_ok(program, "--plan", scratch / "in", "--exits", files[0], scratch / "door1.bmp",
              "--exits", files[1], scratch / "door2.bmp", "--times", scratch / "times.csv",
              "--column", "worst_blocked_seconds", scratch / "worst.bmp")
    cases = [d.walking_times(plan, [e for e in doors if e != blocked]) for blocked in doors]
    bounds = d.view_bounds(plan.extent(), d.View())
    for name, time_of in (("door1.bmp", cases[0].get), ("door2.bmp", cases[1].get),
                          ("worst.bmp", lambda cell: None if any(t[cell] is None for t in cases)
                           else max(t[cell] for t in cases))):
        bmp = d.read_bmp(scratch / name)
        for c, r in cases[0]:
            x, y = d.to_window(bounds, 2.0 * c - 1.0, 2.0 * r - 1.0)
            want = d.time_color(time_of((c, r)))
            got = bmp.pixel(int(x), int(y))
            d.check(d.near(got, want, 1), f"{name}: cell {(c, r)} shows {got}, expected {want}")


def case_plan_file(orvik, program, scratch):
    """--plan FILE.plan: the plan converted on the fly draws the pixels of
    the same plan's folder, as the walk predicts; a missing folder or plan
    file, a plan that plan2mesh refuses and a plan file given as --mesh or
    --exits are refused in one line with their own status. Nothing is
    written then, and no temporary folder is left behind either way."""
    plan = d.sample_plan()
    d.write_plan(plan, scratch / "in")
    # The walls below rows 4 and 3, the hole, the exit with a bottom wall ('f').
    d.check(d.plan_text(plan) == ".____f\n_____.\n_ .|..\n.|....\n", d.plan_text(plan))
    (scratch / "sample.plan").write_text(d.plan_text(plan))
    (scratch / "bad.plan").write_text("E.x\n")
    tmp = scratch / "tmp"
    tmp.mkdir()
    env = {"TMPDIR": str(tmp)}
    out = scratch / "out"
    out.mkdir()
    done = render(program, "--plan", scratch / "sample.plan", out / "plan.bmp",
                  "--plan", scratch / "in", out / "folder.bmp", extra_env=env)
    d.check(done.returncode == 0 and done.stderr == "",
            f"status {done.returncode}, stderr {done.stderr!r}")
    compare_files(d.read_bmp(out / "folder.bmp"), d.read_bmp(out / "plan.bmp"), "sample.plan")
    d.check_picture(d.read_bmp(out / "plan.bmp"), plan, d.View())
    d.check(not leftover_files(tmp), f"left in TMPDIR: {leftover_files(tmp)}")
    refused = out / "refused"
    refused.mkdir()
    png = refused / "a.png"
    cases = (
        (["--plan", scratch / "nowhere", png], 2, "nowhere is neither a folder"),
        (["--plan", scratch / "nowhere.plan", png], 1, "nowhere.plan: No such file"),
        (["--plan", scratch / "sample.plan", png, "--plan", scratch / "bad.plan", refused / "b.png"],
         1, "bad.plan:1:3: unknown character 'x'"),
        (["--plan", scratch / "in", "--mesh", scratch / "sample.plan", png], 2,
         "a plan file goes with --plan"),
        (["--plan", scratch / "in", "--exits", scratch / "sample.plan", png], 2,
         "a plan file goes with --plan"),
    )
    for args, status, message in cases:
        done = render(program, *args, extra_env=env)
        lines = done.stderr.splitlines()
        d.check(done.returncode == status and len(lines) == 1 and message in lines[0]
                and lines[0].startswith("orvik-render: "),
                f"{[str(a) for a in args]}: status {done.returncode}, stderr {done.stderr!r}, "
                f"wanted {status} and one line with {message!r}")
        d.check(not leftover_files(refused) and not leftover_files(tmp),
                f"{[str(a) for a in args]}: left {leftover_files(refused)} {leftover_files(tmp)}")


def limited(command, nproc=None, address_space_kb=None):
    """`command` under a process limit or an address-space cap, as a user
    whom the kernel holds to them: root passes any process limit, so as
    root the program runs as nobody."""
    limits = []
    if nproc is not None:
        limits.append(f"ulimit -u {nproc}")
    if address_space_kb is not None:
        limits.append(f"ulimit -v {address_space_kb}")
    user = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] \
        if os.geteuid() == 0 else []
    shell = " && ".join(limits + ['exec "$@"'])
    return ["bash", "-c", shell, "bash", *user, *map(str, command)]


def case_limits(orvik, program, scratch):
    """Short of threads (ulimit -u 1 to 3) or of address space, a picture
    comes within a minute: the same picture as without the limit, or, when
    the driver cannot load or runs out, status 1 and a line that names the
    cap. Without the bound on the driver's threads llvmpipe waited for
    ever, and with no thread at all the program aborted."""
    # In a folder of its own under /tmp, since the unprivileged user may not
    # pass through the folders of the build.
    work = Path(tempfile.mkdtemp(prefix="orvik-limits-"))
    try:
        limits_in(program, work)
    finally:
        shutil.rmtree(work)


def limits_in(program, work):
    plan = d.sample_plan()
    d.write_plan(plan, work / "in")
    shutil.copy(program, work / "orvik-render")
    for path in (work, work / "in"):
        path.chmod(0o777)
    for name in ("Mesh.csv", "ExitGrid.dat"):
        (work / "in" / name).chmod(0o644)
    render_ok(work / "orvik-render", "--plan", work / "in", work / "free.png")
    free = (work / "free.png").read_bytes()
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "XAUTHORITY", "LP_NUM_THREADS", "EGL_LOG_LEVEL")}
    cases = [({"nproc": n}, f"ulimit -u {n}") for n in (1, 2, 3)]
    cases += [({"address_space_kb": kb}, f"ulimit -v {kb}") for kb in (200000, 300000, 600000)]
    for limit, what in cases:
        out = work / f"{what.replace(' ', '')}.png"
        try:
            done = subprocess.run(limited([work / "orvik-render", "--plan", work / "in", out],
                                          **limit),
                                  capture_output=True, text=True, timeout=60, env=env, cwd=work)
        except subprocess.TimeoutExpired:
            raise d.Failure(f"{what}: no picture and no word within 60 s")
        if done.returncode == 0:
            d.check(done.stderr == "" and out.read_bytes() == free,
                    f"{what}: status 0 but stderr {done.stderr!r} or another picture")
        else:
            # LLVM inside the driver may say first that it ran out.
            lines = done.stderr.splitlines()
            d.check(done.returncode == 1 and 1 <= len(lines) <= 2
                    and lines[-1].startswith("orvik-render: no offscreen OpenGL: ")
                    and "ulimit -v" in lines[-1] and not out.exists()
                    and (len(lines) == 1 or lines[0].startswith("LLVM ERROR")),
                    f"{what}: status {done.returncode}, stderr {done.stderr!r}")
    # Under the process limits the picture must come: the driver can always
    # draw on the calling thread.
    for n in (1, 2, 3):
        d.check((work / f"ulimit-u{n}.png").exists(), f"ulimit -u {n}: no picture")


CASES = {
    "WindowStart": case_window_start,
    "WindowKeys": case_window_keys,
    "WindowStation": case_window_station,
    "Arguments": case_arguments,
    "Unwritable": case_unwritable,
    "TimesColours": case_times_colours,
    "Batch": case_batch,
    "WhatIfPictures": case_what_if_pictures,
    "Limits": case_limits,
    "BrokenInputs": case_broken_inputs,
    "PlanFile": case_plan_file,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--render", required=True, type=Path, help="orvik-render")
    parser.add_argument("--orvik", required=True, type=Path, help="the window program")
    parser.add_argument("--check", required=True, type=Path, help="orvik-check")
    parser.add_argument("--scratch", required=True, type=Path, help="directory to work in")
    parser.add_argument("case", choices=sorted(CASES))
    args = parser.parse_args()
    global CHECKER
    CHECKER = args.check.resolve()
    if args.scratch.exists():
        shutil.rmtree(args.scratch)
    args.scratch.mkdir(parents=True)
    return d.run_case(args.case, lambda: CASES[args.case](
        args.orvik.resolve(), args.render.resolve(), args.scratch.resolve()))


if __name__ == "__main__":
    sys.exit(main())
