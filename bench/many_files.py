#!/usr/bin/env python3
"""A set of files through the queue as a whole process, against the system's own copies.

small: a tree of 10,000 files of 4 KiB in 20 folders, encrypted into a folder on the same disk,
       against `cp -r` of the tree followed by `sync`: both end with every file on the disk.
large: 8 files of 48 MiB in memory (/dev/shm), encrypted, against `dd bs=128K` of each.

Both parts run the queue in the seed format ("queue") and in the age format ("queue age", its
keys derived once for the set: one scrypt of about half a second in every run). Goals: the small
part at most 2.5 × `cp -r` + `sync` in the age format.

Each round runs every command once, each round in another order. In the small part each run
writes a folder of its own, and all are removed at the end: ext4 without a journal skips inodes
freed in the last minute when it makes a file, so a run just after the removal of 10,000 files
would pay for that search. In the large part the target is removed before each run. Prints the
medians of elapsed time and of processor time (user + system), and each command's
elapsed time against the anchor's in the same round (the median of the rounds' ratios). Then one
more run of each queue_bench with --count-fds gives its peak memory and the most files it held
open at once.

    bench/many_files.py [small|large|both [folder [rounds]]]   defaults: both . 5

The folder is where the small part's tree and targets go: on the disk to be measured, not a
tmpfs. The queue_bench run is build/bin/queue_bench, or the one QUEUE_BENCH names; several
separated by ':' alternate in the same rounds, to compare builds under the same conditions.
"""
import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

DEFAULT_BENCH = Path(__file__).resolve().parent.parent / "build" / "bin" / "queue_bench"
PASSWORD = "Bench pass 42"


def benches():
    named = os.environ.get("QUEUE_BENCH")
    return [Path(p) for p in named.split(os.pathsep) if p] if named else [DEFAULT_BENCH]


def timed(command):
    """Elapsed and processor seconds of one process and its children."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{' '.join(command)} failed")
    return elapsed, usage.ru_utime + usage.ru_stime


def make_tree(root, folders, files_each, size):
    for folder in range(folders):
        path = root / f"folder{folder:02d}"
        path.mkdir(parents=True)
        for number in range(files_each):
            (path / f"file{number:04d}.dat").write_bytes(os.urandom(size))


def measure(title, commands, anchor, target, rounds, fresh_targets):
    """commands: functions of a target folder that give the command writing there."""
    times = {name: [] for name in commands}
    names = list(commands)
    for round_number in range(rounds + 1):  # the first round warms up
        shift = round_number % len(names)
        for number, name in enumerate(names[shift:] + names[:shift]):
            run_target = target / f"{round_number}-{number}" if fresh_targets else target
            shutil.rmtree(run_target, ignore_errors=True)
            run_target.parent.mkdir(parents=True, exist_ok=True)
            run = timed(commands[name](run_target))
            if round_number > 0:
                times[name].append(run)
    shutil.rmtree(target, ignore_errors=True)
    print(f"{title}, medians of {rounds} rounds")
    print(f"{'':16} {'elapsed':>9} {'CPU':>9}  × {anchor}, elapsed")
    for name, runs in times.items():
        elapsed, cpu = (statistics.median(run[i] for run in runs) for i in range(2))
        ratio = statistics.median(run[0] / base[0] for run, base in zip(runs, times[anchor]))
        print(f"{name:16} {elapsed * 1000:7.0f}ms {cpu * 1000:7.0f}ms  {ratio:9.2f}")


def count_descriptors(bench_paths, arguments, target):
    for number, bench in enumerate(bench_paths, 1):
        shutil.rmtree(target, ignore_errors=True)
        line = subprocess.run([str(bench), "--count-fds", *arguments], check=True,
                              capture_output=True, text=True).stdout.strip()
        print(f"  queue {number}: {line}" if len(bench_paths) > 1 else f"  queue: {line}")
    shutil.rmtree(target, ignore_errors=True)


def queue_commands(bench_paths, key, source):
    def arguments(target, *options):
        return [*options, "encrypt", str(key), PASSWORD, str(target), str(source)]

    def command(bench, *options):
        return lambda target: [str(bench), *arguments(target, *options)]

    commands = {}
    for n, bench in enumerate(bench_paths, 1):
        suffix = f" {n}" if len(bench_paths) > 1 else ""
        commands["queue" + suffix] = command(bench)
        commands["queue age" + suffix] = command(bench, "--age")
    return commands, arguments


def small(folder, rounds, bench_paths):
    work = folder / "korvel_many_files"
    shutil.rmtree(work, ignore_errors=True)
    try:
        work.mkdir(parents=True)
        (work / "uae").write_bytes(os.urandom(1 << 20))
        make_tree(work / "tree", 20, 500, 4096)
        os.sync()
        target = work / "target"
        commands, arguments = queue_commands(bench_paths, work / "uae", work / "tree")
        commands["cp -r + sync"] = lambda to: ["sh", "-c", f"cp -r '{work / 'tree'}' '{to}' && sync"]
        measure(f"10,000 files of 4 KiB in {folder}", commands, "cp -r + sync", target, rounds,
                True)
        count_descriptors(bench_paths, arguments(target), target)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def large(rounds, bench_paths):
    work = Path("/dev/shm") / "korvel_many_files"
    shutil.rmtree(work, ignore_errors=True)
    try:
        work.mkdir(parents=True)
        (work / "uae").write_bytes(os.urandom(1 << 20))
        make_tree(work / "big", 1, 8, 48 << 20)
        target = work / "target"
        commands, arguments = queue_commands(bench_paths, work / "uae", work / "big")
        copies = "mkdir -p \"$0\" && for f in '" + str(work / "big") + "'/*/*; do " \
                 "dd if=\"$f\" of=\"$0/${f##*/}\" bs=128K status=none; done"
        commands["dd bs=128K"] = lambda to: ["sh", "-c", copies, str(to)]
        measure("8 files of 48 MiB in /dev/shm", commands, "dd bs=128K", target, rounds, False)
        count_descriptors(bench_paths, arguments(target), target)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    part = sys.argv[1] if len(sys.argv) > 1 else "both"
    folder = Path(sys.argv[2] if len(sys.argv) > 2 else ".").resolve()
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    bench_paths = benches()
    for number, bench in enumerate(bench_paths, 1):
        print(f"  {number}: {bench}" if len(bench_paths) > 1 else f"  {bench}")
    if part in ("small", "both"):
        small(folder, rounds, bench_paths)
    if part in ("large", "both"):
        large(rounds, bench_paths)


if __name__ == "__main__":
    main()
