// The entry of the benchmark executable: every bench/*.cpp registers its
// benchmarks; this file runs them and then prints the summary of ratios.
#include <benchmark/benchmark.h>

#include "bench/ratio.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    ratio_print_summary();
    benchmark::Shutdown();
    return 0;
}
