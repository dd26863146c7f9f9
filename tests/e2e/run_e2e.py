#!/usr/bin/env python3
"""End-to-end transcripts: the real binary with scripted standard input.

Each case feeds CR LF lines to the program and compares every byte it
writes, and its exit status, with a transcript in golden/ (kept as UTF-8
for reading; compared as the CP932 bytes iconv makes of it). Transcript
cases run twice: input and output through files, then through pipes.
Where the computer moves, the clock is fixed with libfaketime so the seed
is known, or the seed is given with --seed. Fault cases break a standard
handle and check that the run ends quickly with status 1 and never writes
to standard error. Command-line cases check the other modes, and that a
usage error writes one line to standard error and nothing else.

  run_e2e.py --binary PATH [--case NAME] [--list] [--update]
"""
import argparse
import os
import re
import resource
import subprocess
import sys
import tempfile
import threading
from dataclasses import dataclass, field

import faketime

HERE = os.path.dirname(os.path.abspath(__file__))
GOLDEN = os.path.join(HERE, "golden")
TIME_LIMIT = 20  # seconds per run; a hang is a failure, not a wait


def lines(*texts):
    return b"".join(t.encode() + b"\r\n" for t in texts)


@dataclass
class Case:
    name: str
    stdin: bytes = b""
    clock: str = ""           # fixed UTC time of day, HH:MM:SS.mmm
    status: int = 0
    stdin_kind: str = ""      # "" (file and pipe), "closed", "directory"
    stdout_kind: str = ""     # "" (file and pipe), "devfull", "closed", "broken"
    memory_limit: int = 0     # address-space limit in bytes
    stdin_tail: int = 0       # bytes of "y" streamed after stdin (a huge line)
    golden: bool = True
    notes: list = field(default_factory=list)
    args: list = field(default_factory=list)  # command-line arguments
    stderr: bytes = b""       # the exact standard error expected
    transcript: str = ""      # golden/ file, when not the case's own name
    time_limit: int = TIME_LIMIT  # seconds for the run


CASES = [
    # People at the keyboard.
    Case("abandon_at_start", lines("M", "M", "0", "n")),
    Case("illegal_cells_reprompt",
         lines("M", "M", "44", "11", "5", "100", "-1", "3", "", "35", "0", "n")),
    Case("number_forms", lines("m", "m", "+35 and more words", "0x22", "$2B", "X38", "00", "n")),
    Case("kind_answers", lines("x", "1", " M", "", "this line is swallowed", "mouse", "c", "0", "n"),
         clock="12:34:56.789"),
    Case("replay_answers", lines("M", "M", "0", "N", "M", "M", "0", " n", "M", "M", "0", "no",
                                 "M", "M", "0", "", "M", "M", "0", "n")),
    Case("input_ends_mid_game", lines("M", "M", "35")),
    Case("input_ends_without_line_end", lines("M", "M") + b"35"),
    Case("lf_only_lines", b"M\nM\n35\n"),
    Case("end_marker_in_data", lines("M", "M") + b"35\x1a\r\n0\r\nn\r\n"),
    # The computer.
    Case("computer_game", lines("C", "C", "n"), clock="12:34:56.789"),
    Case("person_against_computer", lines("M", "C", "35", "0", "n"), clock="12:34:56.789"),
    Case("pass_then_move", lines("C", "C", "n"), clock="00:00:00.000"),
    Case("two_passes_end", lines("C", "C", "n"), clock="00:00:00.037"),
    Case("colour_wiped_out", lines("C", "C", "n"), clock="00:00:00.091"),
    Case("full_board_draw", lines("C", "C", "n"), clock="00:00:00.048"),
    # Failures.
    Case("not_a_number", lines("M", "M", "abc", "35"), status=1),
    Case("stdin_closed", status=1, stdin_kind="closed"),
    Case("stdin_unreadable", status=1, stdin_kind="directory"),
    # Streams a line of hundreds of MB through a pipe until memory runs
    # out, which alone can take 20 s on a loaded machine.
    Case("out_of_memory", lines("M", "M", "0"), status=1, memory_limit=256 << 20,
         stdin_tail=1 << 30, time_limit=100),
    Case("stdout_full", lines("M", "M", "0", "n"), status=1, stdout_kind="devfull", golden=False),
    Case("stdout_closed", lines("M", "M", "0", "n"), status=1, stdout_kind="closed", golden=False),
    Case("stdout_reader_gone", lines("C", "C", "n"), clock="12:34:56.789", status=1,
         stdout_kind="broken", golden=False),
    # The command line. A seed replays what the frozen clock gave.
    Case("seed_replays_clock", lines("C", "C", "n"), args=["--seed", "45296789"], transcript="computer_game"),
    Case("seed_zero_replays_midnight", lines("C", "C", "n"), args=["--seed=0"], transcript="pass_then_move"),
    Case("level_game", lines("C", "C", "n"), args=["--level", "3", "--seed", "12345"]),
    Case("level_out_of_memory", lines("C", "C", "n"), args=["--level", "1"], status=1,
         memory_limit=24 << 20),
    Case("perft", args=["--perft", "5"]),
    Case("solve", lines("-O" + "X" * 62 + " X", "-O" + "X" * 62 + " O", "O" * 64 + " X",
                        "-O" + "X" * 62 + " X X", "-O" + "X" * 62 + " Y")
         + b"\xff\x00" * 40000 + b"\n" + b"\xff" * 70000 + b"\n" + ("--" + "X" * 62 + " O").encode(),
         args=["--solve"], status=1,
         stderr=b"shirokuro: line 4: 68 characters, not 66: 64 cells of X, O or -, a space, and X or O to move\n"
                b"shirokuro: line 5: column 66: 'Y' is not X or O to move\n"
                b"shirokuro: line 6: column 1: byte 255 is not X, O or -\n"
                b"shirokuro: line 7: 70000 characters, not 66: 64 cells of X, O or -, a space, and X or O to move\n"),
    Case("solve_stdout_full", lines("-O" + "X" * 62 + " X"), args=["--solve"], status=1, stdout_kind="devfull",
         golden=False, stderr=b"shirokuro: write error: No space left on device\n"),
    Case("help_stdout_closed", args=["--help"], status=1, stdout_kind="closed", golden=False,
         stderr=b"shirokuro: write error: Bad file descriptor\n"),
    Case("solve_stdin_directory", args=["--solve"], status=1, stdin_kind="directory", golden=False,
         stderr=b"shirokuro: read error: Is a directory\n"),
    Case("version", args=["--version"]),
    Case("help", args=["--help"]),
    Case("usage_unknown_option", lines("C", "C", "n"), args=["--colour", "white"], status=2,
         stderr=b"shirokuro: unknown option '--colour' (see 'shirokuro --help')\n"),
    Case("usage_bad_value", args=["--level=9"], status=2,
         stderr=b"shirokuro: option '--level' takes a number from 0 to 7, not '9' (see 'shirokuro --help')\n",
         transcript="usage_unknown_option"),
    Case("usage_combined", args=["--perft", "2", "--level", "1"], status=2,
         stderr=b"shirokuro: options '--perft' and '--level' cannot be combined (see 'shirokuro --help')\n",
         transcript="usage_unknown_option"),
]


def environment(case, binary):
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "TZ": "UTC", "LC_ALL": "C"}
    for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS"):
        if name in os.environ:
            env[name] = os.environ[name]
    if case.clock:
        library = faketime.library_for(binary)
        if library is None:
            sys.exit("libfaketime is missing: apt-get install faketime")
        # A fraction of half a millisecond more, so that the frozen clock's
        # floating-point rounding still lands on the intended millisecond.
        env["FAKETIME"] = "2026-12-08 " + case.clock + "5"
        env["LD_PRELOAD"] = library
        env["ASAN_OPTIONS"] = (env.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0").lstrip(":")
    return env


def golden_path(case):
    return os.path.join(GOLDEN, (case.transcript or case.name) + ".txt")


def expected_bytes(case, module):
    with open(golden_path(case), "rb") as f:
        text = f.read()
    cp932 = subprocess.run(["iconv", "-f", "UTF-8", "-t", "CP932"], input=text,
                           capture_output=True, check=True).stdout
    pattern = re.escape(cp932).replace(re.escape(b"{MODULE}"), re.escape(module.encode()))
    return re.compile(pattern.replace(re.escape(b"{ADDR}"), b"[0-9A-F]{8}") + rb"\Z", re.S)


def limit_memory(limit):
    def apply():
        if limit:
            resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
    return apply


def feed(pipe, data, tail):
    try:
        pipe.write(data)
        chunk = b"y" * (1 << 20)
        for _ in range(tail // len(chunk)):
            pipe.write(chunk)
        if tail:
            pipe.write(b"\r\nn\r\n")
    except (BrokenPipeError, OSError):
        pass
    finally:
        try:
            pipe.close()
        except OSError:
            pass


def run(binary, wrapper, case, through_pipes):
    """Runs the program once; returns (status, stdout bytes, stderr bytes)."""
    with tempfile.TemporaryDirectory() as work:
        stdin_path = os.path.join(work, "stdin")
        stdout_path = os.path.join(work, "stdout")
        with open(stdin_path, "wb") as f:
            f.write(case.stdin)
        opened = []

        def open_file(path, mode):
            f = open(path, mode)
            opened.append(f)
            return f

        streaming = through_pipes or case.stdin_tail
        if case.stdin_kind == "closed":
            stdin = subprocess.DEVNULL  # replaced by a closed descriptor below
        elif case.stdin_kind == "directory":
            stdin = os.open(work, os.O_RDONLY | os.O_DIRECTORY)
        elif streaming:
            stdin = subprocess.PIPE
        else:
            stdin = open_file(stdin_path, "rb")

        reader = None
        if case.stdout_kind == "devfull":
            stdout = open_file("/dev/full", "wb")
        elif case.stdout_kind == "broken":
            reader, stdout = os.pipe()
            os.close(reader)
        elif case.stdout_kind == "closed" or through_pipes:
            stdout = subprocess.PIPE
        else:
            stdout = open_file(stdout_path, "wb")

        closing = []
        if case.stdin_kind == "closed":
            closing.append(0)
        if case.stdout_kind == "closed":
            closing.append(1)

        def prepare():
            limit_memory(case.memory_limit)()
            for fd in closing:
                os.close(fd)

        process = subprocess.Popen(wrapper + [binary] + case.args, stdin=stdin, stdout=stdout, stderr=subprocess.PIPE,
                                   env=environment(case, binary), preexec_fn=prepare)
        for f in opened:
            f.close()
        if isinstance(stdin, int) and stdin > 2:
            os.close(stdin)
        if case.stdout_kind == "broken":
            os.close(stdout)

        feeder = None
        if process.stdin:
            feeder = threading.Thread(target=feed, args=(process.stdin, case.stdin, case.stdin_tail), daemon=True)
            feeder.start()
        out_chunks, err_chunks = [], []
        drains = []
        for stream, chunks in ((process.stdout, out_chunks), (process.stderr, err_chunks)):
            if stream:
                t = threading.Thread(target=lambda s=stream, c=chunks: c.append(s.read()), daemon=True)
                t.start()
                drains.append(t)
        try:
            status = process.wait(timeout=case.time_limit)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            return None, b"", b"timed out"
        finally:
            faketime.forget(process.pid)
        for t in drains:
            t.join(case.time_limit)
        out = b"".join(out_chunks)
        if not through_pipes and os.path.exists(stdout_path) and case.stdout_kind == "":
            with open(stdout_path, "rb") as f:
                out = f.read()
        return status, out, b"".join(err_chunks)


def check(binary, wrapper, module, case, update):
    modes = [False, True] if case.stdin_kind == "" and case.stdout_kind == "" and not case.stdin_tail else [False]
    failures = []
    for through_pipes in modes:
        label = "pipes" if through_pipes else "files"
        status, out, err = run(binary, wrapper, case, through_pipes)
        if status is None:
            failures.append(f"{label}: no end within {case.time_limit} s")
            continue
        if status != case.status:
            failures.append(f"{label}: exit status {status}, expected {case.status}")
        if err != case.stderr:
            failures.append(f"{label}: standard error {err[:200]!r}, expected {case.stderr!r}")
        if not case.golden:
            continue
        if update and not through_pipes and not case.transcript:
            text = out.decode("cp932").replace("\u30e2\u30b8\u30e5\u30fc\u30eb " + module,
                                               "\u30e2\u30b8\u30e5\u30fc\u30eb {MODULE}")
            text = re.sub(r"(\{MODULE\} \u306e )[0-9A-F]{8}", r"\1{ADDR}", text)
            with open(golden_path(case), "wb") as f:
                f.write(text.encode())
            continue
        if not expected_bytes(case, module).match(out):
            failures.append(f"{label}: output differs from {os.path.basename(golden_path(case))}; got:\n"
                            + out.decode("cp932", "replace")[-1500:])
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary")
    parser.add_argument("--wrapper", default="", help="command to run the binary under")
    parser.add_argument("--module", help="module name in the failure report (default: the binary's file name)")
    parser.add_argument("--case", action="append")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--update", action="store_true")
    parser.add_argument("--skip", action="append", default=[], help="leave out a case")
    parser.add_argument("--skip-clock", action="store_true",
                        help="leave out the cases that fix the clock (libfaketime cannot reach a program under Wine)")
    args = parser.parse_args()

    if args.list:
        print("\n".join(c.name for c in CASES))
        return 0
    if not args.binary:
        parser.error("--binary is required")
    binary = os.path.abspath(args.binary)
    module = args.module or os.path.basename(binary)
    wrapper = args.wrapper.split()
    selected = [c for c in CASES if (not args.case or c.name in args.case) and c.name not in args.skip
                and not (args.skip_clock and c.clock)]
    if not selected:
        sys.exit(f"no such case: {args.case}")
    failed = 0
    for case in selected:
        failures = check(binary, wrapper, module, case, args.update)
        print(("FAIL " if failures else "ok   ") + case.name)
        for f in failures:
            print("    " + f)
        failed += bool(failures)
    print(f"{len(selected) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
