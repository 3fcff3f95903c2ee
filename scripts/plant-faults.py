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

Exits 1 when a fault that a test should catch survived, or a fault no longer applies.
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
    """The tests that fail with `fault` planted, or None when it no longer applies."""
    path = os.path.join(SOURCE, fault.path)
    text = open(path, encoding="utf-8").read()
    old, new = "\n".join(fault.old), "\n".join(fault.new)
    if text.count(old) != 1:
        return None
    try:
        open(path, "w", encoding="utf-8").write(text.replace(old, new))
        built = subprocess.run(["cmake", "--build", build, "-j2"], capture_output=True, text=True)
        return ["(build failed)"] if built.returncode else failed_tests(build)
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

    caught_by, wrong = {}, []
    for fault in faults:
        tests = plant(fault, args.build)
        caught_by[fault.ident] = tests or []
        expected = fault.survives is None and (args.sanitizer or not fault.sanitizer)
        if tests is None:
            verdict = "NO LONGER APPLIES"
        elif tests:
            verdict = f"caught by {len(tests)}: " + " ".join(tests)
        else:
            verdict = "SURVIVED" if expected else "survived, as expected: " + (fault.survives or "sanitizer only")
        if tests is None or (expected and not tests):
            wrong.append(fault.ident)
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
    if wrong:
        print("\nnot as expected:", " ".join(wrong))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
