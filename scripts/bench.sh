#!/usr/bin/env bash
# Builds the benchmarks (optimised, no tests) and runs them: each module run beside a
# hand-written run of the same host calls. Prints a short table and the checks (within
# 15 % of the hand-written walk at 10^6 nodes, linear growth, no heap allocation of the
# module's own); the full report goes to BUILD/bench-report.txt.
#
#   scripts/bench.sh [--target TARGET] [ARGS...]
#
# TARGET is a preset's target: default (Linux x86-64, folder build-bench/), linux-i686
# (the 32-bit build, build-bench-linux-i686/) or windows-i686 (the DLL under Wine,
# build-bench-windows-i686/, where a timing program of the Windows build's own stands in
# for Google Benchmark: the update cycle with the panel closed and the script clear; see
# bench/windows/timing.cpp).
# ARGS go to the benchmark program: --benchmark_filter=update/closed, ... on Linux; on
# Windows, a text that the rows to run contain (update/closed/1000000, ...).
# KESTRUM_BENCH_MODULE=FILE times another build of the module in the same host (on
# Windows, a Windows path: Z:\...).
set -euo pipefail
cd "$(dirname "$0")/.."
target=default
if [[ ${1:-} == --target ]]; then
  target=${2:?"--target needs default, linux-i686 or windows-i686"}
  shift 2
fi
case $target in
  default) toolchain=() ;;
  linux-i686) toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-linux-i686.cmake) ;;
  windows-i686) toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake) ;;
  *) echo "bench.sh: no target $target (default, linux-i686 or windows-i686)" >&2; exit 2 ;;
esac
default_build=build-bench
[[ $target == default ]] || default_build=build-bench-$target
build=${KESTRUM_BENCH_BUILD:-$default_build}
# The toolchain is read at a build folder's first configuring only.
[[ -f $build/CMakeCache.txt ]] && toolchain=()
cmake -S . -B "$build" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUM_TESTS=OFF -DKESTRUM_BENCH=ON > /dev/null
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1 /proc/loadavg), $(date -u '+%Y-%m-%d'), target $target"
status=0
if [[ $target == windows-i686 ]]; then
  cmake --build "$build" -j2 --target kestrum-timing
  cmake/wine-run.sh "$build/bin/bench/kestrum-host.exe" "$@" 2>&1 | tee "$build/bench-report.txt" || status=$?
  exit $status
fi
cmake --build "$build" -j2 --target kestrum-bench
"$build/bin/kestrum-bench" --benchmark_color=false "$@" > "$build/bench-report.txt" || status=$?
sed -n '/^benchmark /,$p' "$build/bench-report.txt"
exit $status
