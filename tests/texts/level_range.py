#!/usr/bin/env python3
"""The computer's levels, said alike wherever a player or a packager reads
them: --help, the manual, the README, the Windows zip's README.txt and the
Debian package's description each name the top level the program accepts
(its own usage error says which). A text reworded so that its sentence is
no longer found fails too, so that this list is kept with it.

  level_range.py BINARY SOURCE_DIR CPACK_CONFIG
"""
import os
import re
import subprocess
import sys


def main():
    binary, source, cpack_config = sys.argv[1:4]
    usage = subprocess.run([binary, "--level=99"], capture_output=True, text=True).stderr
    accepted = re.search(r"from 0 to (\d+)", usage)
    if not accepted:
        sys.exit(f"the usage error for --level=99 names no range: {usage!r}")
    top = accepted.group(1)

    def read(path):
        with open(os.path.join(source, path), encoding="utf-8") as f:
            return f.read()

    help_text = subprocess.run([binary, "--help"], capture_output=True, text=True, check=True).stdout
    with open(cpack_config, encoding="utf-8") as f:
        description = f.read()
    texts = {
        "--help": help_text,
        "doc/shirokuro.6": read("doc/shirokuro.6"),
        "README.md": read("README.md"),
        "packaging/README-windows.txt": read("packaging/README-windows.txt"),
        "the Debian package's description": description,
    }
    # A space stands for any blanks and line ends: the texts are wrapped.
    claims = [
        ("--help", r"strength of every computer player, 0 to (\d+)"),
        ("--help", r"(\d+) plays the strongest"),
        ("--help", r"\(--level, default (\d+)\)"),
        ("doc/shirokuro.6", r"from \.B 0 \(the default: a random legal move, as without the option\) to \.B (\d+) "
                            r"\(the strongest\)"),
        ("README.md", r"with `--level 1` to `(\d+)`"),
        ("README.md", r"\./play --level (\d+) # against the strongest"),
        ("README.md", r"`0` \(default, a random legal move\) to `(\d+)` \(strongest\)"),
        ("packaging/README-windows.txt", r"\(levels 0 to (\d+)\)"),
        ("packaging/README-windows.txt", r"shirokuro --level (\d+)"),
        ("the Debian package's description", r"\(level 0\) or, at levels 1 to (\d+), searches"),
    ]
    failures = []
    for name, claim in claims:
        found = re.search(claim.replace(" ", r"\s+"), texts[name])
        if not found:
            failures.append(f"{name}: no longer says /{claim}/")
        elif found.group(1) != top:
            failures.append(f"{name}: says {found.group(1)} where the program's top level is {top}: {found.group(0)!r}")
    for failure in failures:
        print(failure)
    if failures:
        return 1
    print(f"the top level, {top}, is the same in {len(claims)} places")
    return 0


if __name__ == "__main__":
    sys.exit(main())
