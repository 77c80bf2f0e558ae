#!/usr/bin/env python3
"""korvel-cli gives the terminal its echo back on every way out of the hidden password prompt.

Each row starts korvel-cli on a pseudo-terminal of its own (its controlling terminal), answers the
first prompt or not, then types a key or sends a signal, and checks how the program ended and that
echo is on again:   TerminalRestoreTest.py <korvel-cli>
"""
import os
import select
import signal
import sys
import tempfile
import termios
import time

# label, the first answer (None: leave the first prompt), the key typed or signal sent, the end:
# a signal number, or an exit status as ("exit", status).
ROWS = [
    ("Ctrl-C", None, b"\x03", signal.SIGINT),  # through the line discipline, as a user's
    ("SIGTERM", None, signal.SIGTERM, signal.SIGTERM),
    ("end of input", None, b"\x04", ("exit", 2)),
    ("a wrong second entry", b"Secret 1\n", b"Secret 2\n", ("exit", 2)),
    ("SIGINT at the second prompt", b"Secret 1\n", signal.SIGINT, signal.SIGINT),
]


def read_until(master, wanted, seconds=10):
    seen, end = b"", time.monotonic() + seconds
    while wanted.encode() not in seen:
        if not select.select([master], [], [], max(0, end - time.monotonic()))[0]:
            raise AssertionError(f"no {wanted!r} in {seen.decode(errors='replace')!r}")
        seen += os.read(master, 4096)


def echo_goes_off(slave, seconds=10):  # the prompt is written just before
    end = time.monotonic() + seconds
    while echo_on(slave):
        if time.monotonic() > end:
            return False
        time.sleep(0.01)
    return True


def echo_on(slave):
    return bool(termios.tcgetattr(slave)[3] & termios.ECHO)


def ended_as(status, expected):
    if isinstance(expected, tuple):
        return os.WIFEXITED(status) and os.WEXITSTATUS(status) == expected[1]
    return os.WIFSIGNALED(status) and os.WTERMSIG(status) == expected


def run_row(cli, work, first, last, expected):
    master, slave = os.openpty()
    pid = os.fork()
    if pid == 0:
        os.close(master)
        os.login_tty(os.dup(slave))  # a session of its own, the pty its controlling terminal
        os.execv(cli, [cli, "encrypt", "--key", f"{work}/uae", "--to", f"{work}/out",
                       f"{work}/a.txt"])
    try:
        read_until(master, "密码：")
        if not echo_goes_off(slave):
            return "echo still on at the prompt"
        if first:
            os.write(master, first)
            read_until(master, "再次输入密码：")
            if not echo_goes_off(slave):
                return "echo still on at the second prompt"
        if isinstance(last, bytes):
            os.write(master, last)
        else:
            os.kill(pid, last)
        for _ in range(500):
            done, status = os.waitpid(pid, os.WNOHANG)
            if done:
                break
            time.sleep(0.02)
        else:
            os.kill(pid, signal.SIGKILL)
            return "did not end"
        if not ended_as(status, expected):
            return f"wait status {status:#x}, expected {expected}"
        return None if echo_on(slave) else "echo off after the program ended"
    finally:
        os.close(master)
        os.close(slave)


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        with open(f"{work}/uae", "wb") as key:
            key.write(os.urandom(300000))
        with open(f"{work}/a.txt", "w") as text:
            text.write("只有密码和密钥文件都对，才能还原这份文件。\n")
        for label, first, last, expected in ROWS:
            problem = run_row(sys.argv[1], work, first, last, expected)
            if problem:
                print(f"FAIL {label}: {problem}")
                failures += 1
    if not failures:
        print("korvel-cli: the terminal's echo restored on every way out of the prompt")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
