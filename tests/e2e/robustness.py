#!/usr/bin/env python3
"""Thousands of random standard inputs to the real binary.

Random bytes, cut-off scripts, LF-only lines, 0x1A in the middle, junk
among real answers: every run must end within the time bound, with exit
status 0 or 1, and write nothing to standard error. The generator is
seeded, so a failure names the run that reproduces it.

  robustness.py --binary PATH [--runs N] [--seed S]
"""
import argparse
import concurrent.futures
import os
import random
import subprocess
import sys

import faketime

TIME_LIMIT = 20

ANSWERS = [b"M", b"C", b"m", b"c", b"n", b"N", b"y", b"", b"0", b"35", b"46", b"53", b"64",
           b"-1", b"100", b"$23", b"0x23", b"+35", b"abc", b"12abc", b" ", b"\x82\x4f", b"\x1a",
           b"2147483648", b"-2147483648", b"0" * 40 + b"5"]


def random_script(rng):
    kind = rng.randrange(6)
    if kind == 0:  # random bytes
        return bytes(rng.randrange(256) for _ in range(rng.randrange(400)))
    parts = [rng.choice(ANSWERS) for _ in range(rng.randrange(1, 60))]
    ends = {1: b"\n", 2: b"\r"}.get(kind, b"\r\n")
    script = b"".join(p + (rng.choice([b"\r\n", b"\n", b"\r"]) if kind == 3 else ends) for p in parts)
    if kind == 4:  # cut off anywhere
        script = script[: rng.randrange(len(script) + 1)]
    if kind == 5:  # an end marker somewhere inside
        at = rng.randrange(len(script) + 1)
        script = script[:at] + b"\x1a" + script[at:]
    return script


def one_run(binary, env, index, seed):
    rng = random.Random(seed * 1_000_003 + index)
    script = random_script(rng)
    env = dict(env)
    if "LD_PRELOAD" in env:
        env["FAKETIME"] = "2026-12-08 %02d:%02d:%02d.%03d5" % (
            rng.randrange(24), rng.randrange(60), rng.randrange(60), rng.randrange(1000))
    process = subprocess.Popen([binary], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               env=env)
    try:
        _, err = process.communicate(script, timeout=TIME_LIMIT)
    except subprocess.TimeoutExpired:
        process.kill()
        process.communicate()
        return index, f"no end within {TIME_LIMIT} s"
    finally:
        faketime.forget(process.pid)
    if process.returncode not in (0, 1):
        return index, f"exit status {process.returncode}"
    if err:
        return index, f"standard error: {err[:200]!r}"
    return index, None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--runs", type=int, default=3000)
    parser.add_argument("--seed", type=int, default=2026)
    args = parser.parse_args()

    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "TZ": "UTC"}
    for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS"):
        if name in os.environ:
            env[name] = os.environ[name]
    library = faketime.library_for(args.binary)
    if library:
        env["LD_PRELOAD"] = library
        env["ASAN_OPTIONS"] = (env.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0").lstrip(":")

    failures = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        runs = [pool.submit(one_run, args.binary, env, i, args.seed) for i in range(args.runs)]
        for run in concurrent.futures.as_completed(runs):
            index, problem = run.result()
            if problem:
                failures.append((index, problem))
    for index, problem in sorted(failures)[:20]:
        print(f"run {index} (--seed {args.seed}): {problem}")
    print(f"{args.runs - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
