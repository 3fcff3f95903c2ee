#!/usr/bin/env bash
# Runs fuzz targets for a while, each from its committed seed corpus (fuzz/corpus/TARGET/,
# never written to; what a run finds goes to build-fuzz/corpus/TARGET/).
#   scripts/fuzz.sh TARGET [SECONDS]      TARGET: script_parse, variable_get, host_session, all
# A finding stops the run: the input is saved in build-fuzz/artifacts/TARGET/, and
#   build-fuzz/bin/fuzz_TARGET FILE
# runs that one input again. Builds with clang into build-fuzz/ first.
set -euo pipefail
cd "$(dirname "$0")/.."
all=(script_parse variable_get host_session)
if [[ $# -lt 1 || $# -gt 2 ]]; then
  echo "usage: $0 TARGET|all [SECONDS]   (targets: ${all[*]})" >&2
  exit 2
fi
if [[ $1 == all ]]; then targets=("${all[@]}"); else targets=("$1"); fi
seconds=${2:-60}
build=${KESTRUM_FUZZ_BUILD:-build-fuzz}

if [[ ! -f $build/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DKESTRUM_SANITIZE=ON -DKESTRUM_FUZZ=ON \
    -DKESTRUM_TESTS=OFF -DKESTRUM_BENCH=OFF
fi
cmake --build "$build" -j2 --target fuzz-targets

export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
for target in "${targets[@]}"; do
  program=$build/bin/fuzz_$target
  [[ -x $program ]] || { echo "no fuzz target $target (targets: ${all[*]})" >&2; exit 2; }
  mkdir -p "$build/corpus/$target" "$build/artifacts/$target" "$build/logs"
  log=$build/logs/$target.log
  echo "fuzz_$target: $seconds s from fuzz/corpus/$target"
  if ! "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=3072 \
      -dict=fuzz/script.dict -artifact_prefix="$build/artifacts/$target/" -print_final_stats=1 \
      "$build/corpus/$target" "fuzz/corpus/$target" > "$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target found a fault; the input is in $build/artifacts/$target/ (log: $log)" >&2
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|new_units_added)' "$log" | sed 's/^/  /'
done
