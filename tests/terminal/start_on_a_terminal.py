#!/usr/bin/env python3
"""Starts the game on a pseudo-terminal of its own (its controlling
terminal, echo and line editing on) and checks what happens around the
question the game asks the terminal at start: keys typed before and during
it keep their meaning (Ctrl-D ends the run with status 0, an erase edits
the line, the text is echoed), an answer that comes late or never neither
shows nor counts as typed, Ctrl-C during it ends the process by SIGINT
with the terminal's settings as they were and the probe's glyph wiped, and
a locale that is not installed still gets its character set.

Usage: start_on_a_terminal.py GAME
Exits 77 (skipped) when no pseudo-terminal can be had.
"""
import fcntl
import os
import select
import signal
import sys
import termios
import time

SKIPPED = 77
TIMEOUT = 10  # seconds for one run
QUESTION = "\x1b[6n".encode()
FIRST_KIND = "●はどっち".encode()
SECOND_KIND = "○はどっち".encode()
PLAYERS = "プレイするのは人(M)ですかコンピュータ(C)ですか".encode()
MOVE = "どこに置きますか".encode()
AGAIN = "もう１度しますか".encode()
GLYPH = "■".encode()
REPORT = b"\x1b[1;2R"  # the terminal's answer: the glyph took one column


def run(game, before=b"", during=None, lang="C.UTF-8", steps=()):
    """Runs the game with `before` typed ahead and `during` typed once it
    asks the terminal, then each step's keys in turn (a step is a text to
    wait for, seconds to wait after it first showed, and the keys); returns
    its wait status, all it showed, and the terminal's settings before and
    after."""
    steps = ([(QUESTION, 0, during)] if during is not None else []) + list(steps)
    master, terminal = os.openpty()
    settings = termios.tcgetattr(terminal)
    os.write(master, before)
    env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "SHIROKURO_"))}
    env.update(LANG=lang, TERM="xterm")
    pid = os.fork()
    if pid == 0:
        try:
            os.close(master)
            os.setsid()
            fcntl.ioctl(terminal, termios.TIOCSCTTY, 0)
            for fd in (0, 1, 2):
                os.dup2(terminal, fd)
            os.execve(game, [game], env)
        finally:
            os._exit(127)
    shown, status, deadline, seen = b"", None, time.monotonic() + TIMEOUT, {}
    try:
        while status is None:
            assert time.monotonic() < deadline, f"still running after {TIMEOUT} s; shown: {shown!r}"
            if select.select([master], [], [], 0.05)[0]:
                shown += os.read(master, 4096)
            for text, _, _ in steps:
                if text in shown:
                    seen.setdefault(text, time.monotonic())
            if steps and steps[0][0] in seen and time.monotonic() >= seen[steps[0][0]] + steps[0][1]:
                os.write(master, steps.pop(0)[2])
            done, wait_status = os.waitpid(pid, os.WNOHANG)
            if done:
                status = wait_status
        while select.select([master], [], [], 0)[0]:
            shown += os.read(master, 4096)
        return status, shown, settings, termios.tcgetattr(terminal)
    finally:
        if status is None:
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
        os.close(master)
        os.close(terminal)


def ends_normally(status, shown):
    assert os.WIFEXITED(status) and os.WEXITSTATUS(status) == 0, f"wait status {status:#x}; shown: {shown!r}"


def main():
    game = os.path.abspath(sys.argv[1])
    try:
        os.close(os.openpty()[0])
    except OSError as error:
        print(f"no pseudo-terminal: {error}")
        return SKIPPED
    master, terminal = os.openpty()
    keys = termios.tcgetattr(terminal)[6]
    erase, interrupt, end = keys[termios.VERASE], keys[termios.VINTR], keys[termios.VEOF]
    os.close(master)
    os.close(terminal)

    # Ctrl-D typed ahead, before the question and during it, ends the input
    # after the lines before it.
    for before, during in ((b"c\n" + end, None), (b"", b"c\n" + end + REPORT)):
        status, shown, _, _ = run(game, before, during)
        ends_normally(status, shown)
        assert SECOND_KIND in shown, shown

    # An erase typed during the question takes back the x: the first answer is c.
    status, shown, _, _ = run(game, during=b"x" + erase + b"c\n" + end + REPORT)
    ends_normally(status, shown)
    assert shown.count(FIRST_KIND) == 1 and SECOND_KIND in shown, shown
    assert b"\r\x1b[Kc\r\n" in shown, "the typed line is not shown: " + repr(shown)

    # An answer after the half second's wait, with the first answer typed
    # after it or around it, an answer that never comes, and an erase then:
    # the game goes on from the first answer and shows nothing of the report.
    wide = b"\x1b[1;3R"
    answers = [(SECOND_KIND, 0, b"c\n"), (MOVE, 0, b"0\n"), (AGAIN, 0, b"n\n")]
    for steps, echoed in (([(QUESTION, 0.7, wide), (FIRST_KIND, 0, b"m\n")], b"m\r\n"),
                          ([(FIRST_KIND, 0, b"m"), (QUESTION, 2, wide), (FIRST_KIND, 0, b"\n")], b"m\r\n"),
                          ([(FIRST_KIND, 0, b"x" + erase + b"m\n")], b"x\b \bm\r\n")):
        status, shown, _, _ = run(game, steps=steps + answers)
        ends_normally(status, shown)
        assert shown.count(FIRST_KIND) == 1 and AGAIN in shown, shown
        assert b"^[" not in shown and b"\x1b[1;" not in shown, shown
        assert FIRST_KIND + b" [M/C] ? " + echoed in shown, shown

    # Ctrl-C during the question, and during the first prompt when no answer came.
    for steps in ([(QUESTION, 0, interrupt)], [(FIRST_KIND, 0, interrupt)]):
        status, shown, before, after = run(game, steps=steps)
        assert os.WIFSIGNALED(status) and os.WTERMSIG(status) == signal.SIGINT, f"wait status {status:#x}"
        assert after == before, f"terminal settings {after} after the interrupt, {before} before"
        assert b"\r\x1b[K" in shown[shown.rindex(GLYPH):], "the probe's glyph stays: " + repr(shown)

    # A UTF-8 locale that is not installed.
    status, shown, _, _ = run(game, before=end, lang="xx_YY.UTF-8")
    ends_normally(status, shown)
    assert PLAYERS in shown, shown
    return 0


if __name__ == "__main__":
    sys.exit(main())
