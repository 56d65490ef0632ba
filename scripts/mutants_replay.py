#!/usr/bin/env python3
"""Replays the mutants of an earlier mutation report on today's sources, so that two test
suites are scored on the same faults even after the sources moved on.

A report of the mutation tool (JSON lines: file, line, op, before, after, outcome) names each
mutant by its whole line before and after the change. This finds the same line in today's
file (at its old number if the text is still there, else the one line with that text
nearest to it), makes the same change, rebuilds, runs the tests and restores the file. A
mutant whose line is gone, or whose file is, is left out and counted.

    scripts/mutants_replay.py OLD_REPORT --report NEW_REPORT [--build CMD] [--test CMD]

The new report keeps the old line numbers, so the mutation tool's --compare pairs it with
the old one; `at` holds the line the mutant was made on today. The summary gives both
scores over the mutants replayed."""
import argparse
import json
import os
import shutil
import subprocess
import sys
import time

BACKUP = ".replay-backup"


def run(command, timeout):
    try:
        done = subprocess.run(command, shell=True, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout,
                              start_new_session=True)
        return done.returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def read_lines(path):
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        return f.read().split("\n")


def write_lines(path, lines):
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write("\n".join(lines))


def find_line(lines, text, old_number):
    """1-based number of the line that reads `text` (reports keep lines without their
    indentation), preferring `old_number`, else the nearest; None when there is none."""
    text = text.strip()
    if 0 < old_number <= len(lines) and lines[old_number - 1].strip() == text:
        return old_number
    found = [i + 1 for i, line in enumerate(lines) if line.strip() == text]
    return min(found, key=lambda n: abs(n - old_number)) if found else None


def mutated(line, after):
    """The line with its text replaced by the mutant's, keeping its indentation."""
    return line[: len(line) - len(line.lstrip())] + after.strip()


def restore(path):
    shutil.copyfile(path + BACKUP, path)
    os.remove(path + BACKUP)
    os.utime(path, None)  # the build must see the file as changed


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("old_report")
    parser.add_argument("--report", required=True)
    parser.add_argument("--build-dir", default="build/native")
    parser.add_argument("--build", help="default: build the *_tests programs of BUILD_DIR")
    parser.add_argument("--test", help="default: each *_tests program with --gtest_fail_fast")
    parser.add_argument("--timeout", type=float, default=120)
    args = parser.parse_args()

    programs = sorted(os.path.join(args.build_dir, "tests", name)
                      for name in os.listdir(os.path.join(args.build_dir, "tests"))
                      if name.endswith("_tests"))
    build = args.build or "cmake --build %s --target %s" % (
        args.build_dir, " ".join(os.path.basename(p) for p in programs))
    test = args.test or " && ".join("%s --gtest_fail_fast --gtest_brief=1" % p
                                    for p in programs)
    if run(build, 3600) != 0 or run(test, 3600) != 0:
        sys.exit("the unmutated tree does not build or pass: %s; %s" % (build, test))

    with open(args.old_report) as f:
        old = [json.loads(line) for line in f if line.strip()]
    replayed, gone = [], 0
    started = time.time()
    for index, mutant in enumerate(old, 1):
        if mutant["outcome"] == "invalid" or not os.path.exists(mutant["file"]):
            gone += mutant["outcome"] != "invalid"
            continue
        lines = read_lines(mutant["file"])
        at = find_line(lines, mutant["before"], mutant["line"])
        if at is None:
            gone += 1
            continue
        shutil.copy2(mutant["file"], mutant["file"] + BACKUP)
        try:
            lines[at - 1] = mutated(lines[at - 1], mutant["after"])
            write_lines(mutant["file"], lines)
            if run(build, 1800) != 0:
                outcome = "invalid"
            else:
                outcome = "survived" if run(test, args.timeout) == 0 else "killed"
        finally:
            restore(mutant["file"])
        replayed.append(dict(mutant, outcome=outcome, at=at, was=mutant["outcome"]))
        print("[%d/%d] %-8s (was %-8s) %s:%d  %s" % (index, len(old), outcome,
                                                     mutant["outcome"], mutant["file"], at,
                                                     mutant["op"]), flush=True)
    run(build, 3600)  # leave the build matching the restored sources
    with open(args.report, "w") as f:
        for row in replayed:
            f.write(json.dumps(row) + "\n")

    scored = [r for r in replayed if r["outcome"] != "invalid"]
    def score(key):
        killed = sum(r[key] == "killed" for r in scored)
        return killed, 100.0 * killed / len(scored) if scored else 0.0
    then, now = score("was"), score("outcome")
    print("\n%d mutants replayed, %d gone with their lines, %d invalid today; over the %d "
          "valid: killed then %d (%.1f%%), now %d (%.1f%%); %.0f s"
          % (len(replayed), gone, len(replayed) - len(scored), len(scored), then[0], then[1],
             now[0], now[1], time.time() - started))


if __name__ == "__main__":
    sys.exit(main())
