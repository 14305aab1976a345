// The strings subsystem's costs, each measured interleaved with the plain
// C++ work it is budgeted against, so that both see the same machine load:
// - statement churn: a concatenated, upper-cased, trimmed temporary assigned
//   to a variable and released, as the game normalises a command, beside the
//   same work on std::string (budget: at most 2 x);
// - the countdown's formatted print, " ###:##.###" with minutes and seconds,
//   beside snprintf of the same two numbers (budget: at most 3 x).
// Each benchmark reports both costs per statement and their ratio as counters.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <cstdio>
#include <string>

#include "runtime/core/conv_memory.h"
#include "runtime/strings/number_format.h"
#include "runtime/strings/rt_string.h"
#include "runtime/strings/string_ops.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int BATCH = 256;

void fresh_strings() {
    conv_memory_clear();
    rts_init();
}

double nanoseconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::nano>(b - a).count();
}

void report(benchmark::State& state, double runtime_ns, double baseline_ns, int64_t statements) {
    state.counters["runtime_ns"] = runtime_ns / static_cast<double>(statements);
    state.counters["baseline_ns"] = baseline_ns / static_cast<double>(statements);
    state.counters["ratio"] = baseline_ns > 0 ? runtime_ns / baseline_ns : 0;
}

// ---- statement churn ----------------------------------------------------------------

const char TYPED[] = "  open the heavy door";
const char KEY[] = " with the iron key  ";

void runtime_statement(RtString* command, uint32_t mark) {
    RtString* line = rts_concat(rts_from_literal(TYPED, sizeof TYPED - 1), rts_from_literal(KEY, sizeof KEY - 1));
    rts_assign(command, rts_ltrim(rts_rtrim(rts_ucase(line))));
    rts_release_temps(mark, 0);
}

void std_string_statement(std::string& command) {
    std::string line = std::string(TYPED, sizeof TYPED - 1) + std::string(KEY, sizeof KEY - 1);
    for (char& c : line) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    line.erase(line.find_last_not_of(' ') + 1);
    line.erase(0, line.find_first_not_of(' '));
    command = std::move(line);
}

void BM_StatementChurn_VersusStdString(benchmark::State& state) {
    fresh_strings();
    RtString* command = rts_new(0, 0);
    const uint32_t mark = rts_temp_mark();
    std::string baseline_command;
    double runtime_ns = 0, baseline_ns = 0;
    int64_t statements = 0;
    for (auto _ : state) {
        Clock::time_point t0 = Clock::now();
        for (int i = 0; i < BATCH; ++i) runtime_statement(command, mark);
        Clock::time_point t1 = Clock::now();
        for (int i = 0; i < BATCH; ++i) std_string_statement(baseline_command);
        Clock::time_point t2 = Clock::now();
        benchmark::DoNotOptimize(command->data);
        benchmark::DoNotOptimize(baseline_command.data());
        runtime_ns += nanoseconds(t0, t1);
        baseline_ns += nanoseconds(t1, t2);
        statements += BATCH;
    }
    if (std::string(reinterpret_cast<const char*>(command->data), command->len) != baseline_command) {
        state.SkipWithError("the two statements disagree");
    }
    report(state, runtime_ns, baseline_ns, statements);
}
BENCHMARK(BM_StatementChurn_VersusStdString);

// ---- the countdown's formatted print --------------------------------------------------

void BM_CountdownPrintUsing_VersusSnprintf(benchmark::State& state) {
    fresh_strings();
    static const char format_text[] = " ###:##.###";
    RtString* format = rts_new(sizeof format_text - 1, 0);
    std::memcpy(format->data, format_text, sizeof format_text - 1);
    const uint32_t mark = rts_temp_mark();
    char buffer[64];
    double runtime_ns = 0, baseline_ns = 0;
    int64_t statements = 0;
    float seconds = 600;
    for (auto _ : state) {
        float start = seconds;
        Clock::time_point t0 = Clock::now();
        for (int i = 0; i < BATCH; ++i) {
            float left = start - 0.033f * static_cast<float>(i);
            RtString* out = rts_new(0, 0);
            int32_t p = rt_using_single(format, static_cast<float>(static_cast<int>(left / 60)), 0, out);
            rt_using_single(format, left - 60 * static_cast<float>(static_cast<int>(left / 60)), p, out);
            benchmark::DoNotOptimize(out->data);
            rts_free(out);
            rts_release_temps(mark, 0);
        }
        Clock::time_point t1 = Clock::now();
        for (int i = 0; i < BATCH; ++i) {
            float left = start - 0.033f * static_cast<float>(i);
            float minutes = static_cast<float>(static_cast<int>(left / 60));
            std::snprintf(buffer, sizeof buffer, " %3.0f:%6.3f", static_cast<double>(minutes),
                          static_cast<double>(left - 60 * minutes));
            benchmark::DoNotOptimize(buffer);
        }
        Clock::time_point t2 = Clock::now();
        runtime_ns += nanoseconds(t0, t1);
        baseline_ns += nanoseconds(t1, t2);
        statements += BATCH;
        seconds = seconds > 10 ? seconds - 8.4f : 600;
    }
    report(state, runtime_ns, baseline_ns, statements);
}
BENCHMARK(BM_CountdownPrintUsing_VersusSnprintf);

}  // namespace
