// The entry of the benchmark executable (every bench/*.cpp registers its
// benchmarks; this file only runs them).
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
