#!/usr/bin/env python3
"""Every option --help lists has an entry of its own in the manual's
OPTIONS and a row in the README's table of options, and neither text has
an entry for an option the program no longer takes: a new option once
reached --help alone.

  options_listed.py BINARY SOURCE_DIR
"""
import os
import re
import subprocess
import sys


def main():
    binary, source = sys.argv[1:3]
    help_text = subprocess.run([binary, "--help"], capture_output=True, text=True, check=True).stdout
    options = set(re.findall(r"^  (--[a-z]+)", help_text, re.M))
    if not options:
        sys.exit(f"--help lists no options: {help_text!r}")

    def read(path):
        with open(os.path.join(source, path), encoding="utf-8") as f:
            return f.read()

    # An entry is a tagged paragraph whose tag is the option; a row is a
    # table line whose first cell names it.
    manual = {"--" + name for name in re.findall(r"^\.TP\n\.BI? \\-\\-([a-z]+)", read("doc/shirokuro.6"), re.M)}
    readme = set()
    for row in re.findall(r"^\| (`--.*?) \|", read("README.md"), re.M):
        readme |= set(re.findall(r"`(--[a-z]+)", row))
    failures = []
    for name, listed in (("doc/shirokuro.6", manual), ("README.md", readme)):
        failures += [f"{name}: no entry for {o}, which --help lists" for o in sorted(options - listed)]
        failures += [f"{name}: an entry for {o}, which --help does not list" for o in sorted(listed - options)]
    for failure in failures:
        print(failure)
    if failures:
        return 1
    print(f"the {len(options)} options of --help are in the manual and the README")
    return 0


if __name__ == "__main__":
    sys.exit(main())
