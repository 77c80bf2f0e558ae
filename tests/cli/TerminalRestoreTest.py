#!/usr/bin/env python3
"""korvel-cli gives the terminal its echo back on every way out of the hidden password prompt.

Each row starts korvel-cli on a pseudo-terminal of its own (its controlling terminal), waits for
the prompt, checks that echo is off, does one thing to it, and checks how the program ended and
that echo is on again:
    TerminalRestoreTest.py <korvel-cli>
"""
import os
import select
import signal
import sys
import tempfile
import termios
import time

PROMPT = "密码：".encode()
SECOND_PROMPT = "再次输入密码：".encode()


def read_until(master, wanted, seen, seconds=10):
    end = time.monotonic() + seconds
    while wanted not in seen:
        left = end - time.monotonic()
        if left <= 0 or not select.select([master], [], [], left)[0]:
            raise AssertionError(f"no {wanted.decode()!r} in {seen.decode(errors='replace')!r}")
        try:
            seen += os.read(master, 4096)
        except OSError:  # the program ended and closed its side
            raise AssertionError(f"ended before {wanted.decode()!r}: {seen!r}")
    return seen


def echo_on(slave):
    return bool(termios.tcgetattr(slave)[3] & termios.ECHO)


def wait_for(pid, seconds=10):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        done, status = os.waitpid(pid, os.WNOHANG)
        if done:
            return status
        time.sleep(0.02)
    os.kill(pid, signal.SIGKILL)
    os.waitpid(pid, 0)
    raise AssertionError("korvel-cli did not end")


def start(cli, work):
    master, slave = os.openpty()
    pid = os.fork()
    if pid == 0:
        os.close(master)
        os.login_tty(os.dup(slave))  # a session of its own, the pty as its controlling terminal
        os.execv(cli, [cli, "encrypt", "--key", os.path.join(work, "uae"), "--to",
                       os.path.join(work, "out"), os.path.join(work, "a.txt")])
    return pid, master, slave


# Each: what is done at the first prompt, and how the program should end.
def ctrl_c(pid, master):
    os.write(master, b"\x03")  # through the terminal's line discipline, as a user's Ctrl-C
    return ("signal", signal.SIGINT)


def sigterm(pid, master):
    os.kill(pid, signal.SIGTERM)
    return ("signal", signal.SIGTERM)


def end_of_input(pid, master):
    os.write(master, b"\x04")
    return ("exit", 2)


def wrong_second_entry(pid, master, seen=b""):
    os.write(master, b"Secret 1\n")
    read_until(master, SECOND_PROMPT, seen)
    os.write(master, b"Secret 2\n")
    return ("exit", 2)


def sigint_at_second_prompt(pid, master):
    os.write(master, b"Secret 1\n")
    read_until(master, SECOND_PROMPT, b"")
    os.kill(pid, signal.SIGINT)
    return ("signal", signal.SIGINT)


ROWS = [ctrl_c, sigterm, end_of_input, wrong_second_entry, sigint_at_second_prompt]


def run_row(cli, work, action):
    pid, master, slave = start(cli, work)
    try:
        seen = read_until(master, PROMPT, b"")
        time.sleep(0.1)  # the prompt is written just before echo goes off
        if echo_on(slave):
            return "echo still on at the prompt"
        kind, expected = action(pid, master)
        status = wait_for(pid)
        if kind == "signal" and not (os.WIFSIGNALED(status) and os.WTERMSIG(status) == expected):
            return f"status {status:#x}, expected the end by signal {expected}"
        if kind == "exit" and not (os.WIFEXITED(status) and os.WEXITSTATUS(status) == expected):
            return f"status {status:#x}, expected exit {expected}"
        if not echo_on(slave):
            return "echo off after the program ended"
        return None
    finally:
        os.close(master)
        os.close(slave)


def main():
    cli = sys.argv[1]
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "uae"), "wb") as key:
            key.write(os.urandom(300000))
        with open(os.path.join(work, "a.txt"), "w") as text:
            text.write("只有密码和密钥文件都对，才能还原这份文件。\n")
        for action in ROWS:
            problem = run_row(cli, work, action)
            if problem:
                print(f"FAIL {action.__name__}: {problem}")
                failures += 1
    if not failures:
        print("korvel-cli: the terminal's echo restored on every way out of the prompt")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
