// The one main of the bench executable; every bench/*.cpp only registers benchmarks.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
