#!/usr/bin/env python3
"""The program's --solve answers against the pinned table of exact ones.

All the table's positions go to one run of the real binary, with the
options given after the table (say --hash 1 --threads 2); each answer
line must be the lowest best cell, or pass or end, and the exact value.

  pinned_answers.py --binary PATH --table FILE [--max-empties N] [-- OPTION...]
"""
import argparse
import subprocess
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--table", required=True)
    parser.add_argument("--max-empties", type=int, default=64)
    parser.add_argument("options", nargs="*")
    args = parser.parse_args()

    questions, expected = [], []
    with open(args.table, encoding="ascii") as table:
        for text in table:
            if not text.strip() or text.startswith("#"):
                continue
            cells, side, value, best, origin = text.split()[:5]
            if cells.count("-") > args.max_empties:
                continue
            questions.append(f"{cells} {side}")
            expected.append((f"{best.split(',')[0]} {value}", origin))
    if len(questions) < 10:
        print(f"{args.table}: only {len(questions)} positions")
        return 1

    run = subprocess.run([args.binary, "--solve", *args.options], input="".join(q + "\n" for q in questions),
                         capture_output=True, text=True, timeout=1200)
    answers = run.stdout.splitlines()
    failed = run.returncode != 0 or run.stderr != "" or len(answers) != len(questions)
    if failed:
        print(f"status {run.returncode}, {len(answers)} answers to {len(questions)} lines, stderr {run.stderr!r}")
    for question, answer, (want, origin) in zip(questions, answers, expected):
        if answer != want:
            print(f"{question} ({origin}): {answer!r}, not {want!r}")
            failed = True
    print(f"{len(questions)} positions solved with {' '.join(args.options)}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
