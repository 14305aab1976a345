// The strings subsystem, each figure beside the plain C++ work it is
// budgeted against (see ratio.h for how they are measured together):
// - statement churn: a concatenated, upper-cased, trimmed temporary assigned
//   to a variable and released, as the game normalises a command, beside the
//   same work on std::string: at most 2 x;
// - the countdown's formatted print, " ###:##.###" with minutes and
//   seconds, beside snprintf of the same two numbers: at most 3 x.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/bench_support.h"
#include "bench/ratio.h"
#include "runtime/strings/number_format.h"
#include "runtime/strings/rt_string.h"
#include "runtime/strings/string_ops.h"

namespace {

std::string text_of(const RtString* s) { return std::string(reinterpret_cast<const char*>(s->data), s->len); }

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

void BM_StatementChurn(benchmark::State& state) {
    bench_fresh_strings();
    RtString* command = rts_new(0, 0);
    const uint32_t mark = rts_temp_mark();
    std::string baseline_command;
    runtime_statement(command, mark);
    std_string_statement(baseline_command);
    if (text_of(command) != baseline_command) {
        state.SkipWithError("the two statements disagree");
        return;
    }
    measure_ratio(
        state, "statement churn (concatenate, upper-case, trim, assign, release)", "the same on std::string",
        2.0, 256, [&](int64_t) { runtime_statement(command, mark); },
        [&](int64_t) {
            std_string_statement(baseline_command);
            benchmark::DoNotOptimize(baseline_command.data());
        });
}
BENCHMARK(BM_StatementChurn);

// ---- the countdown's formatted print --------------------------------------------------

const char kFormat[] = " ###:##.###";

// The countdown as the command editor prints it: a fresh output string,
// minutes and seconds through the one format.
RtString* countdown(RtString* format, float minutes, float seconds) {
    RtString* out = rts_new(0, 0);
    const int32_t p = rt_using_single(format, minutes, 0, out);
    rt_using_single(format, seconds, p, out);
    return out;
}

int countdown_snprintf(char* buffer, size_t size, float minutes, float seconds) {
    return std::snprintf(buffer, size, " %3.0f:%6.3f", static_cast<double>(minutes), static_cast<double>(seconds));
}

// Minutes and seconds left at call i, stepping down a frame (33 ms) at a time.
void time_left(int64_t i, float* minutes, float* seconds) {
    const float left = 600.0f - 0.033f * static_cast<float>(i % 18000);
    *minutes = static_cast<float>(static_cast<int>(left / 60));
    *seconds = left - 60 * *minutes;
}

void BM_CountdownPrintUsing(benchmark::State& state) {
    bench_fresh_strings();
    RtString* format = rts_new(sizeof kFormat - 1, 0);
    std::memcpy(format->data, kFormat, sizeof kFormat - 1);
    const uint32_t mark = rts_temp_mark();
    char buffer[64];
    {
        RtString* out = countdown(format, 9, 41.25f);
        const int n = countdown_snprintf(buffer, sizeof buffer, 9, 41.25f);
        const bool same = text_of(out) == std::string(buffer, n);
        rts_free(out);
        if (!same) {
            state.SkipWithError("the formatted print and snprintf disagree");
            return;
        }
    }
    measure_ratio(
        state, "formatted print of the countdown (\" ###:##.###\")", "snprintf of the same two numbers", 3.0, 256,
        [&](int64_t i) {
            float minutes, seconds;
            time_left(i, &minutes, &seconds);
            RtString* out = countdown(format, minutes, seconds);
            benchmark::DoNotOptimize(out->data);
            rts_free(out);
            rts_release_temps(mark, 0);
        },
        [&](int64_t i) {
            float minutes, seconds;
            time_left(i, &minutes, &seconds);
            benchmark::DoNotOptimize(countdown_snprintf(buffer, sizeof buffer, minutes, seconds));
            benchmark::DoNotOptimize(buffer);
        });
}
BENCHMARK(BM_CountdownPrintUsing);

}  // namespace
