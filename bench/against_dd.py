#!/usr/bin/env python3
"""Whole processes against dd: a block copy with `dd bs=128K` of the plaintext and of the
ciphertext, an encryption of the one and a decryption of the other, each run `rounds` times in
turns, with its target removed before each run. Prints the medians of elapsed, user and system
time, and each run's ratios to dd copying the same source (a file's pages can lie in memory so
that reading one file costs a tenth more than reading another of the same size).

    bench/against_dd.py [size-MiB [folder [rounds]]]   defaults: 256 /dev/shm 15
"""
import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

BENCH = Path(__file__).resolve().parent.parent / "build" / "bin" / "cipher_bench"
PASSWORD = "Bench pass 42"


def timed(command):
    """Elapsed, user and system seconds of one process."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{command[0]} failed")
    return elapsed, usage.ru_utime, usage.ru_stime


def main():
    mib = int(sys.argv[1]) if len(sys.argv) > 1 else 256
    folder = Path(sys.argv[2] if len(sys.argv) > 2 else "/dev/shm") / "korvel_against_dd"
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    folder.mkdir(parents=True, exist_ok=True)
    try:
        (folder / "uae").write_bytes(os.urandom(1 << 20))
        with open(folder / "plain", "wb") as plain:
            for _ in range(mib):
                plain.write(os.urandom(1 << 20))
        key, source, cipher = (str(folder / name) for name in ("uae", "plain", "cipher"))
        target = folder / "target"
        commands = {
            "dd": ["dd", f"if={source}", f"of={target}", "bs=128K", "status=none"],
            "dd cipher": ["dd", f"if={cipher}", f"of={target}", "bs=128K", "status=none"],
            "encryption": [str(BENCH), "encrypt", key, PASSWORD, source, str(target)],
            "decryption": [str(BENCH), "decrypt", key, PASSWORD, cipher, str(target)],
        }
        timed([str(BENCH), "encrypt", key, PASSWORD, source, cipher])
        times = {name: [] for name in commands}
        for _ in range(rounds):
            for name, command in commands.items():
                target.unlink(missing_ok=True)
                times[name].append(timed(command))
        medians = {name: [statistics.median(t[i] for t in runs) for i in range(3)]
                   for name, runs in times.items()}
        print(f"{mib} MiB in {folder.parent}, medians of {rounds} runs")
        print(f"{'':11} {'elapsed':>9} {'user':>7} {'system':>7}  × dd of the same source"
              " (elapsed, user+system)")
        anchors = {"dd cipher": "dd cipher", "decryption": "dd cipher"}
        for name, (elapsed, user, system) in medians.items():
            dd = medians[anchors.get(name, "dd")]
            print(f"{name:11} {elapsed * 1000:7.0f}ms {user * 1000:5.0f}ms {system * 1000:5.0f}ms"
                  f"  {elapsed / dd[0]:.2f}, {(user + system) / (dd[1] + dd[2]):.2f}")
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
