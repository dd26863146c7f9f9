#!/usr/bin/env python3
"""Checks of the Windows program under Wine that the transcripts cannot make.

- Output pieces: Wine's relay trace lists every WriteFile; to a file or a
  pipe they must be 128 bytes each but the last, to a character device
  (Wine's /dev/null) one per statement.
- The failure report's offset, added to the image base, must point just
  behind the call that raised the failed statement's code: VirtualQuery
  found the image and GetModuleFileNameA named it.
- Computer games: libfaketime cannot fix Wine's clock, so the run is
  timed and the Linux program is replayed at every millisecond of that
  window; one of them must give the same bytes.
- Lines trickling through a pipe, and a reader that has gone away.
- The solver's threads: the pinned exact answers of 16 to 20 empty cells,
  the same bytes on one thread and on four.

Wine comes from the environment (WINEPREFIX, WINEDLLOVERRIDES, and the
loader and server as SHIROKURO_WINE and SHIROKURO_WINESERVER). The
server and Wine's helpers are started first, with no pipes of ours, and
left running for the caller to stop (wineserver -k).

  check_windows.py --exe shirokuro.exe --linux-binary build/default/shirokuro --mingw i686-w64-mingw32
"""
import argparse
import bisect
import datetime
import itertools
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import faketime  # noqa: E402

TIME_LIMIT = 20  # seconds per run
WINE = os.environ.get("SHIROKURO_WINE", "wine")
WINESERVER = os.environ.get("SHIROKURO_WINESERVER", "wineserver")
MINGW = "i686-w64-mingw32"  # the tool prefix for the exe's architecture
CLOCK_MARGIN = 0.02  # seconds around the timed window


def lines(*texts):
    return b"".join(t.encode() + b"\r\n" for t in texts)


HUMAN_GAME = lines("M", "M", "35", "0", "n")


def wine(exe, stdin, stdout="file", relay=False, trickle=0.0, args=()):
    """Runs exe once; returns (status, stdout bytes, stderr bytes, start, end)."""
    env = {k: v for k, v in os.environ.items() if not k.startswith(("LD_PRELOAD", "FAKETIME"))}
    env["WINEDEBUG"] = "-all,+relay" if relay else "-all"
    with tempfile.TemporaryDirectory() as work:
        out_path = os.path.join(work, "out")
        in_path = os.path.join(work, "in")
        with open(in_path, "wb") as f:
            f.write(stdin)
        if stdout == "file":
            out = open(out_path, "wb")
        elif stdout == "null":
            out = open(os.devnull, "wb")
        elif stdout == "broken":
            reader, writer = os.pipe()
            os.close(reader)
            out = os.fdopen(writer, "wb")
        else:
            out = subprocess.PIPE
        source = subprocess.PIPE if trickle else open(in_path, "rb")
        start = time.time()
        process = subprocess.Popen([WINE, exe, *args], stdin=source, stdout=out, stderr=subprocess.PIPE, env=env)
        for f in (source, out):
            if f is not subprocess.PIPE:
                f.close()
        if trickle:
            for line in stdin.splitlines(keepends=True):
                time.sleep(trickle)
                process.stdin.write(line)
                process.stdin.flush()
            process.stdin.close()
            process.stdin = None
        try:
            got, err = process.communicate(timeout=TIME_LIMIT)
        except subprocess.TimeoutExpired:
            # Not communicate(): a Wine helper may hold the pipes open.
            process.kill()
            process.wait()
            raise AssertionError(f"no end within {TIME_LIMIT} s")
        end = time.time()
        if stdout == "file":
            with open(out_path, "rb") as f:
                got = f.read()
        return process.returncode, got or b"", err, start, end


def written_sizes(relay_log):
    return [int(size, 16) for size in
            re.findall(rb"Call KERNEL32\.WriteFile\([0-9a-f]+,[0-9a-f]+,([0-9a-f]+),", relay_log)]


def statement_ends(output):
    """Where a statement surely ends: after a line break and after a
    prompt's "] ? " (single glyphs may be statements of their own too)."""
    return {m.end() for m in re.finditer(rb"\r\n|\] \? ", output)}


def check_pieces(exe):
    status, reference, err, _, _ = wine(exe, HUMAN_GAME)
    assert status == 0 and not err, f"status {status}, stderr {err[:200]!r}"
    full, rest = divmod(len(reference), 128)
    for kind in ("file", "pipe"):
        status, out, log, _, _ = wine(exe, HUMAN_GAME, stdout=kind, relay=True)
        assert status == 0 and out == reference, f"{kind}: status {status}, output differs from the file run"
        got = written_sizes(log)
        assert got == [128] * full + [rest] * bool(rest), f"{kind}: WriteFile sizes {got}"
    # A character device gets each statement when it ends.
    status, _, log, _, _ = wine(exe, HUMAN_GAME, stdout="null", relay=True)
    got = written_sizes(log)
    ends = set(itertools.accumulate(got))
    assert status == 0 and sum(got) == len(reference) and max(got) <= 128, f"null: status {status}, sizes {got}"
    assert statement_ends(reference) <= ends, f"null: statements not written when they end: {got}"


def check_report_offset(exe):
    status, out, err, _, _ = wine(exe, lines("M", "M", "abc"))
    assert status == 1 and not err, f"status {status}, stderr {err[:200]!r}"
    module = os.path.basename(exe).encode()
    found = re.search(re.escape(b"EInOutError" + "がモジュール ".encode("cp932") + module + " の ".encode("cp932"))
                      + rb"([0-9A-F]{8})" + re.escape(" で発生しました。\n".encode("cp932")), out)
    assert found, f"no report naming {os.path.basename(exe)}: {out[-200:]!r}"
    offset = int(found.group(1), 16)
    headers = subprocess.run([f"{MINGW}-objdump", "-p", exe], capture_output=True, text=True,
                             check=True).stdout
    target = int(re.search(r"ImageBase\s+([0-9a-fA-F]+)", headers).group(1), 16) + offset
    symbols = subprocess.run([f"{MINGW}-nm", "-n", exe], capture_output=True, text=True, check=True).stdout
    code = sorted(int(a, 16) for a, kind in re.findall(r"^([0-9a-f]+) ([Tt]) ", symbols, re.M))
    function = code[bisect.bisect_right(code, target) - 1]
    listing = subprocess.run([f"{MINGW}-objdump", "-d", f"--start-address={function:#x}",
                              f"--stop-address={target + 1:#x}", exe], capture_output=True, text=True,
                             check=True).stdout
    instructions = re.findall(r"^\s*([0-9a-f]+):\s+(?:[0-9a-f]{2} )+\s*(.*)$", listing, re.M)
    assert instructions and int(instructions[-1][0], 16) == target, f"{target:#x} starts no instruction"
    assert re.match(r"call\s.*StreamResult", instructions[-2][1]), f"before {target:#x}: {instructions[-2][1]}"


def check_computer_game(exe, binary, stdin, stdout):
    library = faketime.library_for(binary)
    assert library, "libfaketime is missing: apt-get install faketime"
    status, out, err, start, end = wine(exe, stdin, stdout=stdout)
    assert status == 0 and not err, f"status {status}, stderr {err[:200]!r}"
    first = int((start - CLOCK_MARGIN) * 1000)
    last = int((end + CLOCK_MARGIN) * 1000)
    for ms in range(first, last + 1):
        when = datetime.datetime.fromtimestamp(ms / 1000, datetime.timezone.utc)
        if run_linux(binary, stdin, when, library) == out:
            return
    raise AssertionError(f"no clock in the {last - first} ms of the run gives the same bytes on Linux")


def run_linux(binary, stdin, when, library):
    env = {"PATH": "/usr/bin:/bin", "TZ": "UTC", "LC_ALL": "C", "LD_PRELOAD": library,
           "FAKETIME": when.strftime("%Y-%m-%d %H:%M:%S.%f")[:-3] + "5"}
    process = subprocess.Popen([binary], stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env)
    out, _ = process.communicate(stdin, timeout=TIME_LIMIT)
    faketime.forget(process.pid)
    return out


def check_trickled_input(exe):
    _, reference, _, _, _ = wine(exe, HUMAN_GAME)
    status, out, err, _, _ = wine(exe, HUMAN_GAME, stdout="pipe", trickle=0.05)
    assert status == 0 and not err and out == reference, f"status {status}, {len(out)} bytes differ"


def check_reader_gone(exe):
    status, _, err, _, _ = wine(exe, lines("C", "C", "n"), stdout="broken")
    assert status == 1 and not err, f"status {status}, stderr {err[:200]!r}"


def check_solver_threads(exe):
    pinned = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "engine", "pinned_answers.txt")
    positions, expected = [], []
    with open(pinned) as f:
        for line in f:
            if line.startswith("#"):
                continue
            cells, side, value, moves = line.split()[:4]
            if 16 <= cells.count("-") <= 20:
                positions.append(f"{cells} {side}")
                expected.append(f"{moves.split(',')[0]} {value}")
    stdin = "".join(p + "\n" for p in positions).encode()
    want = "".join(e + "\n" for e in expected).encode()
    for threads in ("1", "4"):
        status, out, err, _, _ = wine(exe, stdin, args=("--solve", "--threads", threads))
        assert status == 0 and not err and out == want, f"--threads {threads}: status {status}, {out!r}"


def main():
    global MINGW
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--linux-binary", required=True, help="the Linux program, to replay computer games")
    parser.add_argument("--mingw", default=MINGW, help="binutils prefix for the exe's architecture")
    args = parser.parse_args()
    MINGW = args.mingw
    exe, binary = os.path.abspath(args.exe), os.path.abspath(args.linux_binary)
    quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL,
             "timeout": 300}
    subprocess.run([WINESERVER, "-p"], **quiet)
    subprocess.run([WINE, "cmd", "/c", "exit"], check=True, **quiet)
    checks = [
        ("output_pieces", lambda: check_pieces(exe)),
        ("report_offset", lambda: check_report_offset(exe)),
        ("computer_game_files", lambda: check_computer_game(exe, binary, lines("C", "C", "n"), "file")),
        ("person_against_computer_pipes",
         lambda: check_computer_game(exe, binary, lines("M", "C", "35", "0", "n"), "pipe")),
        ("trickled_pipe_input", lambda: check_trickled_input(exe)),
        ("stdout_reader_gone", lambda: check_reader_gone(exe)),
        ("solver_threads", lambda: check_solver_threads(exe)),
    ]
    failed = 0
    for name, check in checks:
        try:
            check()
            print("ok   " + name)
        except AssertionError as e:
            print(f"FAIL {name}\n    {e}")
            failed += 1
    print(f"{len(checks) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
