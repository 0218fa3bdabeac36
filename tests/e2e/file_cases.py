#!/usr/bin/env python3
"""End-to-end cases of orvik-check and plan2mesh on files: the status each
returns, the message it gives, the files it writes compared byte for byte,
output that cannot be written, inputs it must never replace, and memory
under a cap of address space whatever an input holds. The small input
files are written by CMake into --data; the sample plans are in --sample."""

import json
import os
import resource
import shutil
import signal
import subprocess
import sys
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))
from case_main import Skip, check, main  # noqa: E402

MIB = 1 << 20


def run(program, *args, cwd=None, stdout=subprocess.PIPE, address_kb=None, file_blocks=None,
        timeout=600):
    """The program's status, standard output (when piped) and error. Under
    address_kb its address space is capped, as `ulimit -v`; under
    file_blocks a file it writes stops at that many 512-byte blocks with
    SIGXFSZ ignored, so the write fails as on a full file system."""
    def limits():
        if address_kb is not None:
            resource.setrlimit(resource.RLIMIT_AS, (address_kb * 1024, address_kb * 1024))
        if file_blocks is not None:
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (file_blocks * 512, file_blocks * 512))
    done = subprocess.run([str(program), *map(str, args)], cwd=cwd, stdout=stdout,
                          stderr=subprocess.PIPE, preexec_fn=limits, timeout=timeout)
    out = done.stdout.decode(errors="replace") if done.stdout is not None else ""
    return done.returncode, out, done.stderr.decode(errors="replace")


def same_bytes(a, b):
    check(Path(a).read_bytes() == Path(b).read_bytes(), f"{a} differs from {b}")


def expect(result, status, out=None, err=None):
    """The status, and each given text in standard output or error."""
    code, stdout, stderr = result
    check(code == status, f"status {code}, not {status}; stderr {stderr[:400]!r}")
    check(out is None or out in stdout, f"{out!r} not in {stdout[:600]!r}")
    check(err is None or err in stderr, f"{err!r} not in {stderr[:400]!r}")
    return stdout, stderr


# ------------------------------------------------------------ plan2mesh

def sample_matches(plan2mesh, folder, out_mesh, out_exits):
    """The committed sample must be exactly what the real converter makes of its plan."""
    expect(run(plan2mesh, folder / "station.plan", out_mesh, out_exits), 0)
    same_bytes(out_mesh, folder / "Mesh.csv")
    same_bytes(out_exits, folder / "ExitGrid.dat")


def case_sample_matches_plan(check_, plan2mesh, data, sample, scratch):
    sample_matches(plan2mesh, sample, scratch / "Mesh.csv", scratch / "ExitGrid.dat")


def case_two_level_sample_matches_plan(check_, plan2mesh, data, sample, scratch):
    sample_matches(plan2mesh, sample / "two-level", scratch / "two-level-Mesh.csv",
                   scratch / "two-level-ExitGrid.dat")


def case_blank_lines_take_no_memory(check_, plan2mesh, data, sample, scratch):
    """A plan of 50 million blank lines (rows of rock) needs no more memory
    than a small one: the converter keeps only rows that hold cells. Under
    500 MB of address space; a kept record of every line would take gigabytes."""
    plan = scratch / "blank.plan"
    with plan.open("wb") as f:
        f.write(b"E.\n")
        for _ in range(50):
            f.write(b"\n" * 1000000)
        f.write(b"..\n")
    try:
        expect(run(plan2mesh, plan, scratch / "blank.csv", scratch / "blank.dat", address_kb=500000), 0)
    finally:
        plan.unlink()
    with (scratch / "blank.csv").open("rb") as mesh:
        check(any(b" 50000002 " in line for line in mesh), "no record on row 50000002")


def case_endless_line_ends(check_, plan2mesh, data, sample, scratch):
    """Endless input without a line break ends at the bound of a line, 1 MiB
    (status 1, nothing written), well within the time given."""
    expect(run(plan2mesh, "/dev/zero", "endless.csv", "endless.dat", cwd=scratch, timeout=60), 1,
           err="/dev/zero:1: line longer than 1048576 characters")
    check(not (scratch / "endless.csv").exists(), "endless.csv was written")


# ------------------------------------------------------------ orvik-check: statuses

def case_times_file(checker, plan2mesh, data, sample, scratch):
    times = scratch / "corridor_times.csv"
    expect(run(checker, data / "Corridor.csv", data / "Exits.dat", "--times", times), 0)
    same_bytes(times, data / "Corridor.times.csv")


def case_broken_file_gives_status_one(checker, plan2mesh, data, sample, scratch):
    expect(run(checker, data / "Broken.csv", data / "Broken.dat"), 1)


def case_missing_file_gives_status_two(checker, plan2mesh, data, sample, scratch):
    expect(run(checker, data / "NoSuch.csv", data / "Exits.dat"), 2, out="NoSuch.csv: cannot read")


def case_json_parses(checker, plan2mesh, data, sample, scratch):
    _, out, _ = run(checker, data / "Broken.csv", data / "Broken.dat", "--json")
    report = json.loads(out)
    check(report["status"] == 1 and report["mesh"]["stop"]["field"] == 3, out[:400])


def case_endless_header_line_ends(checker, plan2mesh, data, sample, scratch):
    """/dev/zero as the mesh ends at the bound of a header line, 1 MiB."""
    expect(run(checker, "/dev/zero", data / "Exits.dat", timeout=60), 1,
           out="header line 1 is longer than 1048576 bytes")


# ------------------------------------------------------------ orvik-check: output

def case_full_output_gives_status_two(checker, plan2mesh, data, sample, scratch):
    """Output that cannot be written is a failure, never a silent status 0:
    a full standard output, and a JSON report cut off by a full file system
    (the file-size limit plays it)."""
    with open("/dev/full", "wb") as full:
        expect(run(checker, "Corridor.csv", "Exits.dat", cwd=data, stdout=full), 2,
               err="cannot write the report")
    with (scratch / "cut.json").open("wb") as cut:
        expect(run(checker, "Corridor.csv", "Exits.dat", "--json", cwd=data, stdout=cut,
                   file_blocks=1), 2, err="cannot write the report")


def case_times_file_failure_is_the_status_reported(checker, plan2mesh, data, sample, scratch):
    """A times file on a full disk: the report, written after it, states the
    status really returned; an empty times path is a usage error."""
    out, _ = expect(run(checker, "Corridor.csv", "Exits.dat", "--times", "/dev/full", cwd=data), 2,
                    out="exit status 2")
    check("exit status 0" not in out, out)
    expect(run(checker, "Corridor.csv", "Exits.dat", "--times", "", cwd=data), 2, err="usage")


def case_outputs_never_replace_an_input(checker, plan2mesh, data, sample, scratch):
    """A times file or an exit file that names a file being checked (through
    another spelling or a link too) is refused, nothing written, status 2."""
    d = scratch / "inputs"
    (d / "whatif").mkdir(parents=True)
    shutil.copy(data / "Corridor.csv", d / "m.csv")
    shutil.copy(data / "Exits.dat", d / "e.dat")
    shutil.copy(data / "Exits.dat", d / "whatif/door1-c1-r1.dat")
    (d / "link").symlink_to("m.csv")
    for target in ("m.csv", "./e.dat", "link"):
        expect(run(checker, "m.csv", "e.dat", "--times", target, cwd=d), 2, out="exit status 2",
               err="is a file being checked")
    expect(run(checker, "m.csv", "whatif/door1-c1-r1.dat", "--exits-dir", "whatif", cwd=d), 2,
           err="is a file being checked")
    same_bytes(d / "m.csv", data / "Corridor.csv")
    same_bytes(d / "e.dat", data / "Exits.dat")
    same_bytes(d / "whatif/door1-c1-r1.dat", data / "Exits.dat")
    check((d / "link").is_symlink(), "the link was replaced")


def case_times_never_replaces_a_door_file(checker, plan2mesh, data, sample, scratch):
    """A times file that is one of the exit files of --exits-dir in the same
    run is refused before anything is written."""
    expect(run(checker, data / "Corridor.csv", data / "Exits.dat", "--exits-dir", "w", "--times",
               "w/door1-c1-r1.dat", cwd=scratch), 2, out="exit status 2",
           err="is one of the exit files of --exits-dir; nothing is written")
    check(not (scratch / "w").exists() or not any((scratch / "w").iterdir()), "w holds files")


# ------------------------------------------------------------ orvik-check: memory

def case_huge_and_endless_files_under_a_cap(checker, plan2mesh, data, sample, scratch):
    """A 4 GB sparse mesh file and /dev/urandom, under 2 GB of address space."""
    with (scratch / "sparse.csv").open("wb") as f:
        f.truncate(4096 * MIB)
    (scratch / "random").symlink_to("/dev/urandom")
    try:
        with (scratch / "a.txt").open("wb") as a:
            expect(run(checker, scratch / "sparse.csv", scratch / "random", stdout=a,
                       address_kb=2000000), 1)
        with (scratch / "b.json").open("wb") as b:
            expect(run(checker, scratch / "random", scratch / "random", "--json", stdout=b,
                       address_kb=2000000), 1)
    finally:
        (scratch / "sparse.csv").unlink()
    check("no record is read" in (scratch / "a.txt").read_text(errors="replace"), "a.txt")


def case_million_repeats_under_a_cap(checker, plan2mesh, data, sample, scratch):
    """A million records of one cell under 300 MB of address space."""
    with (scratch / "m.csv").open("wb") as f:
        f.write(b"h\nh\nh\n" + b"1 -1 -1 -1 -1 1 1 floor 0 0 a b c\n" * 1000000)
    (scratch / "e.dat").write_text("1\n")
    with (scratch / "r.json").open("wb") as r:
        expect(run(checker, scratch / "m.csv", scratch / "e.dat", "--json", stdout=r,
                   address_kb=300000), 1)
    check('"repeatedCell":999999' in (scratch / "r.json").read_text(), "repeatedCell")


# ------------------------------------------------------------ orvik-check: arguments

def case_argument_errors_name_the_value(checker, plan2mesh, data, sample, scratch):
    """Wrong arguments name the value that is wrong, in one line with status
    2, and write nothing: an option where a file name belongs (--times
    --json) is a slip, not a file called --json; after -- a name may start with -."""
    shutil.copy(data / "Corridor.csv", scratch / "m.csv")
    shutil.copy(data / "Exits.dat", scratch / "e.dat")
    for args, named in (("--limit abc", "abc"), ("--limit -4", "-4"), ("--max-doors 0", "not 0"),
                        ("--times --json", "the option --json"), ("--exits-dir -x", "the option -x"),
                        ("--bogus", "unknown option --bogus"), ("x", "a third file x")):
        out, err = expect(run(checker, "m.csv", "e.dat", *args.split(), cwd=scratch), 2, err=named)
        check(err.count("\n") == 1 and out == "", f"{args}: stdout {out!r}, stderr {err!r}")
    check(not (scratch / "--json").exists() and not (scratch / "-x").exists(), "an option became a file")
    shutil.copy(scratch / "m.csv", scratch / "-m.csv")
    expect(run(checker, "--times", "t.csv", "--", "-m.csv", "e.dat", cwd=scratch), 0)
    check((scratch / "t.csv").stat().st_size > 0, "t.csv is empty")


def case_progress_at_a_terminal(checker, plan2mesh, data, sample, scratch):
    """At a terminal (script gives one) the doors blocked show on standard
    error, and the line is erased before the report; in a pipe nothing shows."""
    if shutil.which("script") is None:
        raise Skip("no script command")
    (scratch / "two.plan").write_text("E..E\n....\n")
    expect(run(plan2mesh, "two.plan", "m.csv", "e.dat", cwd=scratch), 0)
    command = f"'{checker}' m.csv e.dat --blocked >report.txt"
    tty, _ = expect(run("script", "-qec", command, "/dev/null", cwd=scratch), 0,
                    out="orvik-check: 0 of 2 doors blocked")
    check("doors blocked" not in (scratch / "report.txt").read_text(), "progress in the report")
    with open(os.devnull, "wb") as null:
        _, err = expect(run(checker, "m.csv", "e.dat", "--blocked", cwd=scratch, stdout=null), 0)
    check(err == "", f"progress in a pipe: {err!r}")


CASES = {
    "plan2mesh.SampleMatchesPlan": case_sample_matches_plan,
    "plan2mesh.TwoLevelSampleMatchesPlan": case_two_level_sample_matches_plan,
    "plan2mesh.BlankLinesTakeNoMemory": case_blank_lines_take_no_memory,
    "plan2mesh.EndlessLineEnds": case_endless_line_ends,
    "check.TimesFile": case_times_file,
    "check.BrokenFileGivesStatusOne": case_broken_file_gives_status_one,
    "check.MissingFileGivesStatusTwo": case_missing_file_gives_status_two,
    "check.JsonParses": case_json_parses,
    "check.EndlessHeaderLineEnds": case_endless_header_line_ends,
    "check.FullOutputGivesStatusTwo": case_full_output_gives_status_two,
    "check.TimesFileFailureIsTheStatusReported": case_times_file_failure_is_the_status_reported,
    "check.OutputsNeverReplaceAnInput": case_outputs_never_replace_an_input,
    "check.TimesNeverReplacesADoorFile": case_times_never_replaces_a_door_file,
    "check.HugeAndEndlessFilesUnderACap": case_huge_and_endless_files_under_a_cap,
    "check.MillionRepeatsUnderACap": case_million_repeats_under_a_cap,
    "check.ArgumentErrorsNameTheValue": case_argument_errors_name_the_value,
    "check.ProgressAtATerminal": case_progress_at_a_terminal,
}

if __name__ == "__main__":
    sys.exit(main(__doc__, CASES, ("check", "plan2mesh", "data", "sample")))
