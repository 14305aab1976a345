// Figures measured beside their baselines. The machines are shared and
// noisy, so an absolute time says little; what the suite reports is the
// ratio of a figure to a plain operation doing the same bytes' worth of work,
// both timed in the same benchmark in alternating rounds, so that both see
// the same machine load and the same cache state.
//
// Each round times one batch of the figure and one batch of the baseline
// (the order alternates from round to round). The reported ratio is the
// median, over the rounds, of figure time / baseline time. The benchmark
// carries it as counters (figure_ns and baseline_ns per operation, ratio,
// budget) and the executable prints every ratio beside its budget in a
// summary after the run.
#pragma once
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

struct RatioResult {
    std::string figure;    // what is measured
    std::string baseline;  // the plain operation it is set against
    double figure_ns;      // per operation, mean over all rounds
    double baseline_ns;
    double ratio;          // median over the rounds of figure / baseline
    double budget;         // the largest ratio allowed; 0 for none
    int64_t rounds;
};

// Records the result of a ratio benchmark's latest run (a benchmark runs a
// few times while its iteration count is settled; the last run counts).
void ratio_record(const RatioResult& result);

// Prints one line per recorded figure: "figure / baseline = x (budget y)".
void ratio_print_summary();

namespace ratio_detail {
double median(std::vector<double> values);
}

// Runs `figure` and `baseline`, each `batch` times per round, in alternating
// rounds for as many iterations as the benchmark library asks, and reports
// the ratio. Both callables take the index of the call within the run, so a
// figure that alternates between two states can do so in both.
template <typename Figure, typename Baseline>
void measure_ratio(benchmark::State& state, const char* figure_name, const char* baseline_name,
                   double budget, int batch, Figure&& figure, Baseline&& baseline) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> ratios;
    double figure_total = 0, baseline_total = 0;
    int64_t round = 0, calls = 0;
    // The compiler barrier after every call keeps the stores of one call
    // from being merged with the next call's or dropped as overwritten.
    auto time_batch = [&](auto& work) {
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < batch; ++i) {
            work(calls + i);
            benchmark::ClobberMemory();
        }
        return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    };
    for (auto _ : state) {
        double f, b;
        if (round % 2 == 0) {
            f = time_batch(figure);
            b = time_batch(baseline);
        } else {
            b = time_batch(baseline);
            f = time_batch(figure);
        }
        calls += batch;
        ++round;
        figure_total += f;
        baseline_total += b;
        if (b > 0) ratios.push_back(f / b);
    }
    RatioResult r{figure_name, baseline_name, 0, 0, 0, budget, round};
    if (calls > 0) {
        r.figure_ns = figure_total / static_cast<double>(calls);
        r.baseline_ns = baseline_total / static_cast<double>(calls);
    }
    r.ratio = ratio_detail::median(ratios);
    state.counters["figure_ns"] = r.figure_ns;
    state.counters["baseline_ns"] = r.baseline_ns;
    state.counters["ratio"] = r.ratio;
    if (budget > 0) state.counters["budget"] = budget;
    ratio_record(r);
}
