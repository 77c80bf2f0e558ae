#!/usr/bin/env python3
"""Whole processes against dd: a block copy with `dd bs=128K` of the plaintext and of the
ciphertext, the same copy of the plaintext written ten bytes into the target (`seek=10
oflag=seek_bytes`, every write off the page boundary as a ciphertext's would be without a short
first block), an encryption of the one and a decryption of the other, each run `rounds` times, each
round in another order, with its target removed before each run. Prints the medians of elapsed,
user, system and processor time (user + system) and of the voluntary context switches, and each
run's ratios to dd copying the same source in the same round, elapsed and processor time, as
medians over the rounds. A file's pages can lie in memory so that reading one file costs a tenth
more than reading another of the same size; other programs slow whole rounds down, which a ratio
within the round cancels. The processor time is the steadier figure when they compete for the
processors. The last column marks a run over its goal: encryption and decryption at most 1.10 × dd
elapsed and 1.3 × in processor time; in the age format at most 1.5 × dd elapsed, and faster than
Debian's `age` (`age -r`, `age -d -i`), which runs in the same rounds where it is installed. The
age runs use an identity file, so that no run pays for the password's scrypt (bench/age_bench
times that); an age decryption is judged against dd of the age file.

    bench/against_dd.py [size-MiB [folder [rounds]]]   defaults: 256 /dev/shm 15

The cipher_bench it runs is build/bin/cipher_bench, or the one CIPHER_BENCH names. CIPHER_BENCH
may name several, separated by ':', to compare builds in the same rounds: each one's runs are then
numbered in the order given.
"""
import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

DEFAULT_BENCH = Path(__file__).resolve().parent.parent / "build" / "bin" / "cipher_bench"
PASSWORD = "Bench pass 42"
DEBIAN_AGE = Path("/usr/bin/age")
# The dd each run is judged against.
ANCHORS = {"encryption": "dd", "decryption": "dd cipher", "age-enc": "dd", "age-dec": "dd age"}
# × dd: elapsed, processor time (None: no goal).
GOALS = {"encryption": (1.10, 1.3), "decryption": (1.10, 1.3), "age-enc": (1.5, None),
         "age-dec": (1.5, None)}


def benches():
    named = os.environ.get("CIPHER_BENCH")
    return [Path(p) for p in named.split(os.pathsep) if p] if named else [DEFAULT_BENCH]


def timed(command):
    """Elapsed, user and system seconds and voluntary context switches of one process."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{command[0]} failed")
    return elapsed, usage.ru_utime, usage.ru_stime, usage.ru_nvcsw


def commands_for(folder, bench_paths):
    """The runs of a round by name, and for each the name of the dd it is judged against."""
    key, source, cipher, target, aged, identity = (
        str(folder / name) for name in ("uae", "plain", "cipher", "target", "aged", "identity"))
    commands = {
        "dd": ["dd", f"if={source}", f"of={target}", "bs=128K", "status=none"],
        "dd cipher": ["dd", f"if={cipher}", f"of={target}", "bs=128K", "status=none"],
        "dd seek=10": ["dd", f"if={source}", f"of={target}", "bs=128K", "seek=10",
                       "oflag=seek_bytes", "status=none"],
    }
    commands["dd age"] = ["dd", f"if={aged}", f"of={target}", "bs=128K", "status=none"]
    anchors = {"dd": "dd", "dd cipher": "dd cipher", "dd seek=10": "dd", "dd age": "dd age"}
    if DEBIAN_AGE.exists():
        recipient = (folder / "recipient").read_text().strip()
        commands["Debian enc"] = [str(DEBIAN_AGE), "-r", recipient, "-o", target, source]
        commands["Debian dec"] = [str(DEBIAN_AGE), "-d", "-i", identity, "-o", target, aged]
        anchors["Debian enc"] = "dd"
        anchors["Debian dec"] = "dd age"
    for number, bench in enumerate(bench_paths, 1):
        suffix = f" {number}" if len(bench_paths) > 1 else ""
        for run, direction, run_source in (("encryption", "encrypt", source),
                                           ("decryption", "decrypt", cipher)):
            commands[run + suffix] = [str(bench), direction, key, PASSWORD, run_source, target]
            anchors[run + suffix] = ANCHORS[run]
        for run, direction, run_source in (("age-enc", "encrypt-age", source),
                                           ("age-dec", "decrypt", aged)):
            commands[run + suffix] = [str(bench), direction, identity, PASSWORD, run_source,
                                      target]
            anchors[run + suffix] = ANCHORS[run]
    return commands, anchors


def cpu(run):
    return run[1] + run[2]


def verdict(name, elapsed_ratio, cpu_ratio):
    goal = GOALS.get(name.split(" ")[0])
    if goal is None or name.startswith("dd"):
        return ""
    met = elapsed_ratio <= goal[0] and (goal[1] is None or cpu_ratio <= goal[1])
    return "  goal met" if met else "  over goal"


def print_medians(times, anchors):
    print(f"{'':13} {'elapsed':>9} {'user':>7} {'system':>7} {'CPU':>7} {'switches':>8}"
          "  × dd of the same source: elapsed, CPU")
    for name, runs in times.items():
        elapsed, user, system, switches = (statistics.median(t[i] for t in runs)
                                           for i in range(4))
        dd_runs = times[anchors[name]]
        elapsed_ratio = statistics.median(t[0] / d[0] for t, d in zip(runs, dd_runs))
        cpu_ratio = statistics.median(cpu(t) / cpu(d) for t, d in zip(runs, dd_runs))
        print(f"{name:13} {elapsed * 1000:7.0f}ms {user * 1000:5.0f}ms {system * 1000:5.0f}ms"
              f" {statistics.median(cpu(t) for t in runs) * 1000:5.0f}ms {switches:8.0f}"
              f"  {elapsed_ratio:12.2f} {cpu_ratio:5.2f}{verdict(name, elapsed_ratio, cpu_ratio)}")


def print_against_debian(times):
    """Each age run's elapsed time against Debian's age doing the same in the same round."""
    for ours, theirs in (("age-enc", "Debian enc"), ("age-dec", "Debian dec")):
        if theirs not in times:
            print(f"{theirs}: not run, {DEBIAN_AGE} is not installed")
            continue
        for name in (n for n in times if n.split(" ")[0] == ours):
            ratio = statistics.median(t[0] / d[0] for t, d in zip(times[name], times[theirs]))
            print(f"{name} × {theirs}, elapsed: {ratio:.2f}"
                  f"{'  faster' if ratio < 1 else '  not faster'}")


def main():
    mib = int(sys.argv[1]) if len(sys.argv) > 1 else 256
    folder = Path(sys.argv[2] if len(sys.argv) > 2 else "/dev/shm") / "korvel_against_dd"
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    bench_paths = benches()
    folder.mkdir(parents=True, exist_ok=True)
    try:
        (folder / "uae").write_bytes(os.urandom(1 << 20))
        with open(folder / "plain", "wb") as plain:
            for _ in range(mib):
                plain.write(os.urandom(1 << 20))
        timed([str(bench_paths[0]), "encrypt", str(folder / "uae"), PASSWORD,
               str(folder / "plain"), str(folder / "cipher")])
        recipient = subprocess.run([str(bench_paths[0]), "identity", str(folder / "identity")],
                                   check=True, capture_output=True, text=True).stdout
        (folder / "recipient").write_text(recipient)
        timed([str(bench_paths[0]), "encrypt-age", str(folder / "identity"), PASSWORD,
               str(folder / "plain"), str(folder / "aged")])
        commands, anchors = commands_for(folder, bench_paths)
        times = {name: [] for name in commands}
        names = list(commands)
        for round_number in range(rounds):
            shift = round_number % len(names)
            for name in names[shift:] + names[:shift]:
                (folder / "target").unlink(missing_ok=True)
                times[name].append(timed(commands[name]))
        print(f"{mib} MiB in {folder.parent}, medians of {rounds} runs")
        for number, bench in enumerate(bench_paths, 1):
            print(f"  {number}: {bench}" if len(bench_paths) > 1 else f"  {bench}")
        print_medians(times, anchors)
        print_against_debian(times)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
