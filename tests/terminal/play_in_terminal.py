#!/usr/bin/env python3
"""Plays a short game through the ./play launcher in a real terminal (tmux,
UTF-8, 80 x 24) and checks what a person sees there: the prompts before
anything is typed, the board's glyphs under their column digits, a typed
move on the board, exit status 0 after "n", and the game's status 1 after
a failure. Then checks that without a terminal the launcher passes the
game's CP932 bytes through unchanged.

Usage: play_in_terminal.py LAUNCHER GAME
Exits 77 (skipped) when tmux, libfaketime or a working luit is missing.
"""
import glob
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
import unicodedata

SKIPPED = 77
STEP_TIMEOUT = 30  # seconds for any one thing to appear on the screen
# The clock the game reads (UTC); its seed makes the computer answer 35 with 36.
FIXED_CLOCK = "2026-12-08 12:34:56.7895"
COMPUTER_REPLY = 36

KIND_PROMPT = {"●": "●はどっち [M/C] ?", "○": "○はどっち [M/C] ?"}
MOVE_PROMPT = "どこに置きますか [nn] ?"
AGAIN_PROMPT = "もう１度しますか [y/n] ?"
QUESTION = "プレイするのは人(M)ですかコンピュータ(C)ですか"
QUESTION_CP932 = QUESTION.encode("cp932")


def width(ch):
    # How a UTF-8 terminal (tmux, glibc's wcwidth) sizes these characters:
    # wide and full-width ones take two columns, ambiguous ones ("■", "●",
    # "○") one.
    return 2 if unicodedata.east_asian_width(ch) in "WF" else 1


def placed(line):
    """The visible characters of a screen line as (first column, character, width)."""
    column, found = 0, []
    for ch in line:
        if ch != " ":
            found.append((column, ch, width(ch)))
        column += width(ch)
    return found


class Terminal:
    """A tmux server of its own; each launch of the launcher gets its own
    80 x 24 session, and the command records the launcher's exit status."""

    def __init__(self, launcher, game, libfaketime, workdir):
        self.socket = os.path.join(workdir, "tmux.socket")
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "TMUX"))}
        self.env.update(LANG="C.UTF-8", TERM="xterm-256color")
        self.launcher, self.workdir = launcher, workdir
        # The game alone runs with the clock stopped. libfaketime is preloaded
        # directly: the faketime command keeps a semaphore named after its
        # process id, which one that was killed leaves behind for a later
        # process with the same id to trip over. A sanitizer runtime must
        # accept the preloaded library.
        self.game = os.path.join(workdir, "game")
        with open(self.game, "w") as f:
            f.write("#!/bin/sh\nexport TZ=UTC\n"
                    f"export LD_PRELOAD={shlex.quote(libfaketime)} FAKETIME={shlex.quote(FIXED_CLOCK)}\n"
                    'export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"\n'
                    f"exec {shlex.quote(game)}\n")
        os.chmod(self.game, 0o755)
        # Keeps the last screen readable after the launcher has ended.
        self.config = os.path.join(workdir, "tmux.conf")
        with open(self.config, "w") as f:
            f.write("set-option -g remain-on-exit on\n")

    def tmux(self, *args):
        return subprocess.run(["tmux", "-S", self.socket, "-f", self.config, *args],
                              env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, check=True, timeout=10).stdout

    def launch(self, name):
        self.session = name
        self.status_file = os.path.join(self.workdir, name + ".status")
        self.tmux("new-session", "-d", "-s", name, "-x", "80", "-y", "24",
                  f"SHIROKURO_GAME={shlex.quote(self.game)} {shlex.quote(self.launcher)};"
                  f" echo $? >{shlex.quote(self.status_file)}")

    def stop(self):
        subprocess.run(["tmux", "-S", self.socket, "kill-server"], env=self.env,
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=10)

    def lines(self):
        """Everything shown so far, scrolled-off lines included, without trailing blank lines."""
        lines = self.tmux("capture-pane", "-t", self.session, "-p", "-S", "-").split("\n")
        while lines and not lines[-1].strip():
            lines.pop()
        return lines

    def cursor_column(self):
        return int(self.tmux("display-message", "-t", self.session, "-p", "#{cursor_x}"))

    def type(self, text):
        self.tmux("send-keys", "-t", self.session, "-l", text)
        self.tmux("send-keys", "-t", self.session, "Enter")

    def wait_for(self, what, ready):
        deadline = time.monotonic() + STEP_TIMEOUT
        while time.monotonic() < deadline:
            lines = self.lines()
            if ready(lines):
                return lines
            time.sleep(0.1)
        raise AssertionError(f"no {what} on the screen after {STEP_TIMEOUT} s:\n" + "\n".join(self.lines()))

    def wait_for_prompt(self, prompt, count=1):
        """Waits until the prompt has been shown count times and is the last
        thing on the screen, with the cursor right after its closing space."""
        lines = self.wait_for(f"prompt {prompt!r} #{count}",
                              lambda ls: ls and ls[-1].strip().endswith(prompt)
                              and sum(prompt in l for l in ls) >= count)
        shown = sum(w for _, _, w in placed(lines[-1])) + lines[-1].count(" ")
        assert self.cursor_column() == shown + 1, \
            f"cursor at column {self.cursor_column()}, not after {lines[-1]!r}"
        return lines

    def exit_status(self):
        deadline = time.monotonic() + STEP_TIMEOUT
        while not (os.path.exists(self.status_file) and open(self.status_file).read().endswith("\n")):
            assert time.monotonic() < deadline, "the launcher did not end:\n" + "\n".join(self.lines())
            time.sleep(0.1)
        return int(open(self.status_file).read())


def boards(lines):
    """Every drawing on the screen as a 10 x 10 grid of glyphs, after checking
    that each glyph stands under its column digit."""
    return [board_at(lines, i) for i, l in enumerate(lines) if re.fullmatch(r" {22}( \d){10}", l)]


def board_at(lines, heading):
    digit_columns = [column for column, _, _ in placed(lines[heading])]
    assert digit_columns == [23 + 2 * i for i in range(10)], lines[heading]
    grid = []
    for r, line in enumerate(lines[heading + 1:heading + 11]):
        found = placed(line)
        label = "".join(ch for column, ch, _ in found if column < 20)
        assert label == str(10 * r) and found[len(label)][:2] == (20, "　"), f"row label of {line!r}"
        glyphs = found[len(label) + 1:]
        assert len(glyphs) == 10, f"{len(glyphs)} glyphs in {line!r}"
        for (column, ch, w), digit in zip(glyphs, digit_columns):
            # Each glyph keeps to the two columns of its heading and covers the digit.
            assert digit - 1 <= column <= digit < column + w <= digit + 1, \
                f"{ch} at column {column} is not under the digit at column {digit}:\n" \
                f"{lines[heading]}\n{line}"
        grid.append([ch for _, ch, _ in glyphs])
    return grid


def row(grid, r):
    return "".join(grid[r])


def choose_person_against_computer(terminal):
    lines = terminal.wait_for_prompt(KIND_PROMPT["●"])
    assert lines[0] == QUESTION, lines
    terminal.type("m")
    terminal.wait_for_prompt(KIND_PROMPT["○"])
    terminal.type("c")
    return terminal.wait_for_prompt(MOVE_PROMPT)


def play_a_short_game(terminal):
    terminal.launch("game")
    lines = choose_person_against_computer(terminal)
    [start] = boards(lines)
    assert row(start, 0) == "■" * 10 and row(start, 9) == "■" * 10
    assert row(start, 4) == "■・・・●○・・・■" and row(start, 5) == "■・・・○●・・・■"
    assert lines[-2].strip() == "●の番です"

    terminal.type("35")
    lines = terminal.wait_for_prompt(MOVE_PROMPT, count=2)
    assert f"{COMPUTER_REPLY} に置きます" in lines, "the computer's move is not the one its fixed seed gives"
    _, mine, reply = boards(lines)
    assert row(mine, 3) == "■・・・・●・・・■" and row(mine, 4) == "■・・・●●・・・■", \
        "the typed move is not on the board"
    assert reply[COMPUTER_REPLY // 10][COMPUTER_REPLY % 10] == "○"

    terminal.type("0")
    terminal.wait_for_prompt(AGAIN_PROMPT)
    terminal.type("n")
    status = terminal.exit_status()
    assert status == 0, f"exit status {status} after n"


def fail_on_a_word(terminal):
    # luit itself always ends with 0; the game's 1 must still come through.
    terminal.launch("failure")
    choose_person_against_computer(terminal)
    terminal.type("abc")
    status = terminal.exit_status()
    assert status == 1, f"exit status {status} after a word at the move prompt"
    lines = terminal.lines()
    assert "入力値が数値ではありません." in lines, lines
    report = lines.index("入力値が数値ではありません.")
    assert lines[report - 1].startswith("EInOutError"), lines


def without_terminal(launcher, game):
    # The end of the input at the players' question ends the game normally.
    done = subprocess.run([launcher], env=dict(os.environ, SHIROKURO_GAME=game),
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=STEP_TIMEOUT)
    assert done.returncode == 0, done
    assert done.stdout.startswith(QUESTION_CP932 + b"\r\n"), done.stdout[:80]
    assert done.stderr == b"", done.stderr


def main():
    launcher, game = (os.path.abspath(a) for a in sys.argv[1:3])
    libfaketime = next(iter(glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
                            + glob.glob("/usr/lib/faketime/libfaketime.so.1")), None)
    if not shutil.which("tmux") or not libfaketime:
        print("tmux or libfaketime is not installed")
        return SKIPPED
    if not shutil.which("luit") or subprocess.run(["luit", "-encoding", "SJIS", "-t"],
                                                  stdin=subprocess.DEVNULL, capture_output=True).returncode:
        print("no luit that converts Shift_JIS")
        return SKIPPED
    with tempfile.TemporaryDirectory() as workdir:
        terminal = Terminal(launcher, game, libfaketime, workdir)
        try:
            play_a_short_game(terminal)
            fail_on_a_word(terminal)
        finally:
            terminal.stop()
    without_terminal(launcher, game)
    return 0


if __name__ == "__main__":
    sys.exit(main())
