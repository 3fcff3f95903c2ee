#!/usr/bin/env bash
# Builds the benchmarks (folder build-bench/, optimised, no tests) and runs them: each
# module run beside a hand-written run of the same host calls. Prints a short table and
# the checks (within 15 % of the hand-written walk at 10^6 nodes, linear growth, no heap
# allocation of the module's own); the full report goes to build-bench/bench-report.txt.
# Extra arguments go to the benchmark program (--benchmark_filter=update/closed, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUM_BENCH_BUILD:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUM_TESTS=OFF -DKESTRUM_BENCH=ON > /dev/null
cmake --build "$build" -j2 --target kestrum-bench
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(date -u '+%Y-%m-%d')"
status=0
"$build/bin/kestrum-bench" --benchmark_color=false "$@" > "$build/bench-report.txt" || status=$?
sed -n '/^benchmark /,$p' "$build/bench-report.txt"
exit $status
