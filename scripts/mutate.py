#!/usr/bin/env python3
"""Mutation sampling: applies one small fault at a time from scripts/mutants.txt, rebuilds
incrementally, runs the tests, puts the file back, and says per mutant whether the tests caught
it (killed) or not (survived), then the rate over the real faults.

    scripts/mutate.py [--list FILE] [--only N,M-K] [--jobs J]

It works on a copy of the sources in build-mutants/tree ($QM_MUTANT_DIR/tree), built in
build-mutants/build, so the work tree stays free to edit and build meanwhile. A mutant is never
left in place even there: the original is kept beside the file ("<file>.mutant-original")
before the change and put back afterwards, also on Ctrl+C or termination; a run that finds such
a copy (from a machine that went down mid-run) restores it first.

The list: one mutant a line, tab-separated: file, line, original text, replacement, and an
optional note. A note that starts with "harmless:" marks a change that is not a fault (the
reason follows); it is run and reported, but left out of the rate. The original text must stand
on the given line; when the file has moved on it is looked for within 30 lines around it.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BACKUP_SUFFIX = ".mutant-original"


def restore_leftovers(tree):
    for base, _dirs, files in os.walk(tree):
        for name in files:
            if name.endswith(BACKUP_SUFFIX):
                backup = os.path.join(base, name)
                target = backup[: -len(BACKUP_SUFFIX)]
                os.replace(backup, target)
                print(f"restored {os.path.relpath(target, tree)} from an interrupted run")


def parse(path):
    mutants = []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) < 4:
                sys.exit(f"{path}:{number}: needs file, line, original, replacement")
            mutants.append(
                {
                    "id": len(mutants) + 1,
                    "file": fields[0],
                    "line": int(fields[1]),
                    "original": fields[2],
                    "replacement": fields[3],
                    "note": fields[4] if len(fields) > 4 else "",
                }
            )
    return mutants


def locate(lines, mutant):
    """The index of the line to change, or None."""
    want = mutant["line"] - 1
    candidates = [
        i
        for i in range(max(0, want - 30), min(len(lines), want + 31))
        if mutant["original"] in lines[i]
    ]
    if not candidates:
        return None
    return min(candidates, key=lambda i: abs(i - want))


class Restorer:
    """Puts the file back whatever ends the run."""

    def __init__(self):
        self.target = None
        for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            signal.signal(sig, self.on_signal)

    def apply(self, target, text):
        backup = target + BACKUP_SUFFIX
        os.replace(target, backup)  # the original is safe before anything is written
        self.target = target
        with open(target, "w", encoding="utf-8") as f:
            f.write(text)

    def restore(self):
        if self.target is None:
            return
        backup = self.target + BACKUP_SUFFIX
        if os.path.exists(backup):
            os.replace(backup, self.target)
        # The restored file is older than the objects built from the mutant.
        os.utime(self.target, None)
        self.target = None

    def on_signal(self, signum, _frame):
        self.restore()
        print(f"\ninterrupted (signal {signum}); the sources are as they were")
        sys.exit(130)


def run(command, timeout, cwd):
    try:
        return subprocess.run(
            command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout
        ).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", default=os.path.join(ROOT, "scripts", "mutants.txt"))
    parser.add_argument("--only", default="", help="mutant numbers: 3,5-9")
    parser.add_argument("--jobs", default=str(os.cpu_count() or 2))
    args = parser.parse_args()

    work = os.environ.get("QM_MUTANT_DIR", os.path.join(ROOT, "build-mutants"))
    tree = os.path.join(work, "tree")
    build = os.path.join(work, "build")
    os.makedirs(tree, exist_ok=True)
    restore_leftovers(tree)
    # The copy follows the work tree as it is now (tracked and new files alike); files that did
    # not change are left alone, so the build stays incremental from one run to the next.
    files = subprocess.run(
        ["git", "ls-files", "-co", "--exclude-standard", "-z"],
        cwd=ROOT, check=True, stdout=subprocess.PIPE,
    ).stdout.decode().split("\0")
    for name in files:
        if not name or name.startswith("build"):
            continue
        source, target = os.path.join(ROOT, name), os.path.join(tree, name)
        if os.path.islink(source) or not os.path.isfile(source):
            continue
        with open(source, "rb") as f:
            data = f.read()
        if os.path.exists(target):
            with open(target, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        # A fresh time, not the source's: an object built from a mutant in an earlier run is
        # newer than the source's own time and would not be built again.
        shutil.copyfile(source, target)
        shutil.copymode(source, target)
    mutants = parse(args.list)
    if args.only:
        wanted = set()
        for part in args.only.split(","):
            a, _, b = part.partition("-")
            wanted.update(range(int(a), int(b or a) + 1))
        mutants = [m for m in mutants if m["id"] in wanted]

    print("building the unchanged tree ...", flush=True)
    subprocess.run(
        ["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"],
        check=True,
        stdout=subprocess.DEVNULL,
    )
    if run(["cmake", "--build", build, "--parallel", args.jobs], None, ROOT) != 0:
        sys.exit("the unchanged tree does not build")
    if run(["ctest", "--parallel", args.jobs, "--timeout", "300"], 3600, build) != 0:
        sys.exit("the unchanged tree fails its tests: fix that first")

    restorer = Restorer()
    results = []
    for m in mutants:
        path = os.path.join(tree, m["file"])
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")
        at = locate(lines, m)
        label = f"#{m['id']:>3} {m['file']}:{m['line']}"
        if at is None:
            print(f"{label}  not found: {m['original']!r}", flush=True)
            results.append((m, "not found"))
            continue
        changed = list(lines)
        changed[at] = lines[at].replace(m["original"], m["replacement"], 1)
        started = time.time()
        try:
            restorer.apply(path, "\n".join(changed))
            if run(["cmake", "--build", build, "--parallel", args.jobs], 1800, ROOT) != 0:
                verdict = "does not build"
            else:
                code = run(
                    ["ctest", "--parallel", args.jobs, "--timeout", "120", "--stop-on-failure"],
                    1800,
                    build,
                )
                verdict = "survived" if code == 0 else "killed"
        finally:
            restorer.restore()
        note = f"  ({m['note']})" if m["note"] else ""
        print(f"{label}  {verdict:<15} {time.time() - started:5.0f} s{note}", flush=True)
        results.append((m, verdict))

    # Leave the build as the sources are.
    run(["cmake", "--build", build, "--parallel", args.jobs], None, ROOT)
    real = [(m, v) for m, v in results if not m["note"].startswith("harmless:")]
    counted = [(m, v) for m, v in real if v in ("killed", "survived")]
    killed = sum(1 for _m, v in counted if v == "killed")
    print()
    for m, v in real:
        if v == "survived":
            print(f"survivor #{m['id']}: {m['file']}:{m['line']}  {m['original']!r} -> "
                  f"{m['replacement']!r}")
    if counted:
        print(f"killed {killed} of {len(counted)} real faults: {100.0 * killed / len(counted):.0f}%")
    skipped = len(results) - len(counted) - (len(results) - len(real))
    if skipped:
        print(f"{skipped} mutants did not build or were not found: mend the list")


if __name__ == "__main__":
    main()
