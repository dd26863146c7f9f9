#!/usr/bin/env python3
"""Whole-program benchmark: N games with both colours played by the computer.

The input answers "C", "C" and an empty play-again line N times and ends
with "n"; the output goes through a pipe to a reader. Beside it runs the
floor for the same work: a minimal writer that sends the same number of
bytes through the same kind of pipe in 128-byte write calls. Prints games
per second, bytes per second and the ratio program time / floor time (the median over
runs paired with a floor run each). With --allocations, valgrind counts the heap
allocations of runs of N and 2N games.

  scripts/bench-program.py [--games N] [--repeat R] [--allocations]
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "bench")


def build():
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                    "-DSHIROKURO_BENCH=ON", "-DSHIROKURO_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", BUILD], check=True, stdout=subprocess.DEVNULL)


def script(games):
    return b"C\r\nC\r\n\r\n" * (games - 1) + b"C\r\nC\r\nn\r\n"


# Writer and reader each keep a core of their own: left to the scheduler
# they sometimes share one, and every pipe refill then costs a switch,
# which doubles both times and hides what is measured.
CPUS = sorted(os.sched_getaffinity(0))
READER_CPU, WRITER_CPU = (CPUS[0], CPUS[1]) if len(CPUS) > 1 else (None, None)


def pin(cpu):
    return (lambda: os.sched_setaffinity(0, {cpu})) if cpu is not None else None


def timed(command, stdin_path):
    """Wall seconds and the writer's CPU seconds (user + system) for
    command | reader, and the bytes that went through."""
    with open(stdin_path, "rb") as stdin:
        start = time.perf_counter()
        writer = subprocess.Popen(command, stdin=stdin, stdout=subprocess.PIPE, preexec_fn=pin(WRITER_CPU))
        total = 0
        while chunk := writer.stdout.read(1 << 16):
            total += len(chunk)
        _, status, usage = os.wait4(writer.pid, 0)
        elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{command[0]} exited with {status}")
    return elapsed, usage.ru_utime + usage.ru_stime, total


def allocations(games, stdin_path):
    with open(stdin_path, "wb") as f:
        f.write(script(games))
    with open(stdin_path, "rb") as stdin:
        done = subprocess.run(["valgrind", "--tool=memcheck", os.path.join(BUILD, "shirokuro")],
                              stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True)
    found = re.search(rb"total heap usage: ([\d,]+) allocs", done.stderr)
    return int(found.group(1).replace(b",", b""))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--games", type=int, default=2000)
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--allocations", action="store_true")
    args = parser.parse_args()
    build()
    if READER_CPU is not None:
        os.sched_setaffinity(0, {READER_CPU})
    stdin_path = os.path.join(BUILD, "bench-input")
    with open(stdin_path, "wb") as f:
        f.write(script(args.games))

    program = [os.path.join(BUILD, "shirokuro")]
    size = timed(program, stdin_path)[2]
    floor = [os.path.join(BUILD, "bench", "floor_writer"), str(size)]
    # Each program run is paired with a floor run right after it, so that a
    # slow spell of the machine weighs on both sides of a ratio alike.
    pairs = [(timed(program, stdin_path), timed(floor, stdin_path)) for _ in range(args.repeat)]
    wall = min(p[0] for p, _ in pairs)
    cpu = min(p[1] for p, _ in pairs)
    floor_wall = min(f[0] for _, f in pairs)
    floor_cpu = min(f[1] for _, f in pairs)
    wall_ratio = statistics.median(p[0] / f[0] for p, f in pairs)
    cpu_ratio = statistics.median(p[1] / f[1] for p, f in pairs)
    print(f"games: {args.games}, output: {size} bytes, {args.repeat} paired runs")
    print(f"program: {wall:.3f} s wall, {cpu:.3f} s CPU (best); {args.games / wall:.0f} games/s, "
          f"{size / wall / 1e6:.1f} MB/s")
    print(f"floor:   {floor_wall:.3f} s wall, {floor_cpu:.3f} s CPU (best); {size / floor_wall / 1e6:.1f} MB/s "
          f"(128-byte writes, no game)")
    print(f"ratio program/floor: {wall / floor_wall:.2f} best to best; median of the pairs "
          f"{wall_ratio:.2f} wall, {cpu_ratio:.2f} CPU")

    if args.allocations:
        small, large = 10, 20
        a, b = allocations(small, stdin_path + ".v"), allocations(large, stdin_path + ".v")
        print(f"heap allocations: {a} for {small} games, {b} for {large} games "
              f"({(b - a) / (large - small):.2f} per extra game)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
