// The main of the application's benchmarks.

#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
