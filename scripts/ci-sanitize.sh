#!/usr/bin/env bash
# Every test again in a second build (folder build-sanitize/), module, host model, tests
# and console built with AddressSanitizer (LeakSanitizer included) and
# UndefinedBehaviorSanitizer. Any finding stops the process that made it and fails its test.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KESTRUM_SANITIZE_BUILD:-build-sanitize}

cmake -S . -B "$build" -DKESTRUM_SANITIZE=ON -DKESTRUM_BENCH=OFF
cmake --build "$build" -j2

export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
ctest --test-dir "$build" --output-on-failure -j2
