#!/usr/bin/env bash
# The normal build (folder build/) with the module instrumented for coverage: builds,
# runs every test, then reports the line and branch coverage of the module's own code
# (module/) and fails below 95 % of lines or 90 % of branches.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUM_BUILD:-build}

cmake -S . -B "$build" -DKESTRUM_COVERAGE=ON -DKESTRUM_BENCH=OFF
cmake --build "$build" -j2
find "$build" -name '*.gcda' -delete  # counts of earlier runs
ctest --test-dir "$build" --output-on-failure -j2

# Branches that only exception unwinding takes, and "branches" on lines without code,
# are the compiler's, not the module's.
gcovr --root . --object-directory "$build" \
  --filter 'module/' \
  --exclude-throw-branches --exclude-unreachable-branches \
  --txt "$build/coverage-lines.txt" --print-summary \
  --fail-under-line 95 --fail-under-branch 90
echo "Coverage of each file: $build/coverage-lines.txt"
