#!/usr/bin/env python3
"""Plays a short game with the game binary run directly in a real terminal
(tmux, LANG=C.UTF-8, 100 x 30) and checks what a person sees there: the
prompts before anything is typed, the board's glyphs under their column
digits, a typed move on the board, exit status 0 after "n", and status 1
with the two-line report after a full-width "３５". tmux draws ambiguous-width
characters one column wide and answers the game's question about that; a
second game is told SHIROKURO_AMBIGUOUS=wide and must draw the board as a
terminal that draws them two columns wide needs it. Then checks that the
./play launcher passes the game's CP932 bytes through a pipe unchanged.

Usage: play_in_terminal.py LAUNCHER GAME
Exits 77 (skipped) when tmux or libfaketime is missing.
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


def width(ch, ambiguous=1):
    # How a UTF-8 terminal sizes these characters: wide and full-width ones
    # take two columns, ambiguous ones ("■", "●", "○") one in tmux and most
    # terminals, two in one set up for East Asian text.
    kind = unicodedata.east_asian_width(ch)
    return 2 if kind in "WF" else ambiguous if kind == "A" else 1


def placed(line, ambiguous=1):
    """The visible characters of a screen line as (first column, character, width)."""
    column, found = 0, []
    for ch in line:
        if ch != " ":
            found.append((column, ch, width(ch, ambiguous)))
        column += width(ch, ambiguous)
    return found


class Terminal:
    """A tmux server of its own; each launch of the game gets its own
    100 x 30 session, and the command records the game's exit status."""

    def __init__(self, game, libfaketime, workdir):
        self.socket = os.path.join(workdir, "tmux.socket")
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("LC_", "TMUX", "SHIROKURO_"))}
        self.env.update(LANG="C.UTF-8", TERM="xterm-256color")
        self.workdir = workdir
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
        # Keeps the last screen readable after the game has ended.
        self.config = os.path.join(workdir, "tmux.conf")
        with open(self.config, "w") as f:
            f.write("set-option -g remain-on-exit on\n")

    def tmux(self, *args):
        return subprocess.run(["tmux", "-S", self.socket, "-f", self.config, *args],
                              env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, check=True, timeout=10).stdout

    def launch(self, name, ambiguous=1):
        self.session, self.ambiguous = name, ambiguous
        self.status_file = os.path.join(self.workdir, name + ".status")
        said = "SHIROKURO_AMBIGUOUS=wide " if ambiguous == 2 else ""
        self.tmux("new-session", "-d", "-s", name, "-x", "100", "-y", "30",
                  f"{said}{shlex.quote(self.game)}; echo $? >{shlex.quote(self.status_file)}")

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
            assert time.monotonic() < deadline, "the game did not end:\n" + "\n".join(self.lines())
            time.sleep(0.1)
        return int(open(self.status_file).read())


def boards(lines, ambiguous):
    """Every drawing on the screen as a 10 x 10 grid of glyphs, after checking
    that each glyph stands under its column digit on a terminal that draws
    ambiguous-width characters that wide."""
    return [board_at(lines, i, ambiguous) for i, l in enumerate(lines) if re.fullmatch(r" {22}( \d){10}", l)]


def board_at(lines, heading, ambiguous):
    digit_columns = [column for column, _, _ in placed(lines[heading])]
    assert digit_columns == [23 + 2 * i for i in range(10)], lines[heading]
    grid = []
    for r, line in enumerate(lines[heading + 1:heading + 11]):
        found = placed(line, ambiguous)
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


def play_a_short_game(terminal, ambiguous):
    terminal.launch(f"game{ambiguous}", ambiguous)
    lines = choose_person_against_computer(terminal)
    [start] = boards(lines, ambiguous)
    assert row(start, 0) == "■" * 10 and row(start, 9) == "■" * 10
    assert row(start, 4) == "■・・・●○・・・■" and row(start, 5) == "■・・・○●・・・■"
    assert lines[-2].strip() == "●の番です"

    terminal.type("35")
    lines = terminal.wait_for_prompt(MOVE_PROMPT, count=2)
    assert f"{COMPUTER_REPLY} に置きます" in lines, "the computer's move is not the one its fixed seed gives"
    _, mine, reply = boards(lines, ambiguous)
    assert row(mine, 3) == "■・・・・●・・・■" and row(mine, 4) == "■・・・●●・・・■", \
        "the typed move is not on the board"
    assert reply[COMPUTER_REPLY // 10][COMPUTER_REPLY % 10] == "○"

    terminal.type("0")
    terminal.wait_for_prompt(AGAIN_PROMPT)
    terminal.type("n")
    status = terminal.exit_status()
    assert status == 0, f"exit status {status} after n"


def fail_on_full_width_digits(terminal):
    # Typed in UTF-8, they reach the game as CP932, which is not a number.
    terminal.launch("failure")
    choose_person_against_computer(terminal)
    terminal.type("３５")
    status = terminal.exit_status()
    assert status == 1, f"exit status {status} after full-width digits at the move prompt"
    lines = terminal.lines()
    assert "入力値が数値ではありません." in lines, lines
    report = lines.index("入力値が数値ではありません.")
    assert lines[report - 1].startswith("EInOutError"), lines


def launcher_without_terminal(launcher, game):
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
    with tempfile.TemporaryDirectory() as workdir:
        terminal = Terminal(game, libfaketime, workdir)
        try:
            play_a_short_game(terminal, ambiguous=1)
            play_a_short_game(terminal, ambiguous=2)
            fail_on_full_width_digits(terminal)
        finally:
            terminal.stop()
    launcher_without_terminal(launcher, game)
    return 0


if __name__ == "__main__":
    sys.exit(main())
