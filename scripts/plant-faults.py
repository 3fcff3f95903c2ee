#!/usr/bin/env python3
"""Plants the faults of tests/faults.txt in the module one at a time, rebuilds a configured
build, runs its tests and reports which tests caught each fault. Each file is restored as
soon as its fault's run is over, also when the run is interrupted, and the build is built
again from the restored files at the end.

    scripts/plant-faults.py [--build DIR] [--sanitizer] [--overlaps] [ID ...]

--build DIR   the build to use (default build/, configured already)
--sanitizer   the build is the sanitizer build: "! sanitizer" faults must be caught too
              (run with the environment of scripts/ci-sanitize.sh)
--overlaps    also list the tests that caught no fault, and tests that caught the same set
ID ...        only these faults

A fault is caught when its build succeeds and a test fails. A fault whose build fails is
invalid, counted apart: it proves nothing about the tests. A fault marked as one no test
can see ("?"), or as one only the sanitizer build sees ("!") in another build, which a
test does catch, is reported for relabelling.

Exits 1 when a fault that a test should catch survived, a fault is invalid or no longer
applies, or a fault's label needs changing.
"""
import argparse
import collections
import os
import re
import subprocess
import sys

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class Fault:
    def __init__(self, ident, kind, path):
        self.ident, self.kind, self.path = ident, kind, path
        self.old, self.new, self.survives, self.sanitizer = [], [], None, False


def read_faults(path):
    faults, fault = [], None
    for line in open(path, encoding="utf-8").read().split("\n"):
        if line.startswith("#"):
            continue
        if not line.strip():
            fault = None
        elif fault is None:
            ident, kind, file = line.split()
            fault = Fault(ident, kind, file)
            faults.append(fault)
        elif line.startswith("? "):
            fault.survives = line[2:]
        elif line.startswith("! sanitizer"):
            fault.sanitizer = True
        elif line[:1] in "-+":
            (fault.old if line[0] == "-" else fault.new).append(line[2:])
        else:
            sys.exit(f"{path}: cannot read the line {line!r}")
    return faults


def failed_tests(build):
    run = subprocess.run(["ctest", "-j2", "--timeout", "300"], cwd=build, capture_output=True, text=True)
    if "The following tests FAILED:" not in run.stdout:
        return []
    listed = run.stdout.split("The following tests FAILED:")[-1]
    return re.findall(r"^\s*\d+ - (\S+) \(", listed, re.M)


def plant(fault, build):
    """("tests", the tests that fail) with `fault` planted, ("invalid", None) when the build
    fails, or ("gone", None) when the fault's text is no longer in its file."""
    path = os.path.join(SOURCE, fault.path)
    text = open(path, encoding="utf-8").read()
    old, new = "\n".join(fault.old), "\n".join(fault.new)
    if text.count(old) != 1:
        return "gone", None
    try:
        open(path, "w", encoding="utf-8").write(text.replace(old, new))
        built = subprocess.run(["cmake", "--build", build, "-j2"], capture_output=True, text=True)
        return ("invalid", None) if built.returncode else ("tests", failed_tests(build))
    finally:
        open(path, "w", encoding="utf-8").write(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--sanitizer", action="store_true")
    parser.add_argument("--overlaps", action="store_true")
    parser.add_argument("ids", nargs="*")
    args = parser.parse_args()
    faults = [f for f in read_faults(os.path.join(SOURCE, "tests", "faults.txt")) if not args.ids or f.ident in args.ids]

    caught_by = {}
    outcome = collections.defaultdict(list)  # what happened, by kind of outcome: the faults
    for fault in faults:
        state, tests = plant(fault, args.build)
        caught_by[fault.ident] = tests or []
        sanitizer_only = fault.sanitizer and not args.sanitizer
        unseeable = fault.survives or ("only the sanitizer build catches it" if sanitizer_only else None)
        if state == "gone":
            kind, verdict = "gone", "NO LONGER APPLIES"
        elif state == "invalid":
            kind, verdict = "invalid", "INVALID: the build fails"
        elif tests and unseeable:
            kind, verdict = "relabel", f"CAUGHT, though marked unseeable ({unseeable}); relabel it: caught by " + " ".join(tests)
        elif tests:
            kind, verdict = "caught", f"caught by {len(tests)}: " + " ".join(tests)
        elif unseeable:
            kind, verdict = "unseeable", "survived, as expected: " + unseeable
        else:
            kind, verdict = "survived", "SURVIVED"
        outcome[kind].append((fault.ident, unseeable))
        print(f"{fault.ident} {fault.kind}: {verdict}", flush=True)
    # The build as the sources are again, so that it is not left with the last fault.
    subprocess.run(["cmake", "--build", args.build, "-j2"], capture_output=True)

    if args.overlaps:
        listed = subprocess.run(["ctest", "-N"], cwd=args.build, capture_output=True, text=True).stdout
        by_test = collections.defaultdict(set)
        for ident, tests in caught_by.items():
            for test in tests:
                by_test[test].add(ident)
        names = re.findall(r"Test +#\d+: (\S+)", listed)
        print("\ntests that caught no fault:", " ".join(n for n in names if n not in by_test) or "none")
        same = collections.defaultdict(list)
        for test, idents in by_test.items():
            same[frozenset(idents)].append(test)
        for idents, tests in same.items():
            if len(tests) > 1:
                print("caught the same faults (" + " ".join(sorted(idents)) + "):", " ".join(tests))

    print(f"\n{len(faults)} faults:")
    headings = [("caught", "caught"), ("unseeable", "survived, unseeable as labelled"),
                ("invalid", "INVALID, the build fails (not a catch)"),
                ("relabel", "CAUGHT THOUGH LABELLED UNSEEABLE (relabel)"), ("survived", "SURVIVED"),
                ("gone", "NO LONGER APPLY")]
    for kind, heading in headings:
        if kind != "caught" and not outcome[kind]:
            continue
        print(f"  {heading}: {len(outcome[kind])}")
        for ident, reason in outcome[kind] if kind != "caught" else []:
            print(f"    {ident}" + (f": {reason}" if reason else ""))
    wrong = [ident for kind in ("invalid", "relabel", "survived", "gone") for ident, _ in outcome[kind]]
    if wrong:
        print("\nnot as expected:", " ".join(wrong))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
