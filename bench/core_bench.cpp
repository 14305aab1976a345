// The runtime core's per-statement and per-variable costs, each beside the
// plain operation it should stay close to (no budgets; see ratio.h for how
// they are measured together):
// - the statement boundary with nothing to do: one load and test of
//   check_requested, beside a relaxed load of a plain atomic;
// - a procedure's variable frame (allocate three variables, roll back),
//   beside malloc and free of the same sizes;
// - one random number, beside one multiply-add on a 32-bit word;
// - seconds since midnight at millisecond accuracy, beside the monotonic
//   clock read it is built on.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>

#include "bench/ratio.h"
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/errors.h"
#include "runtime/core/timing.h"
#include "runtime/core/var_storage.h"

namespace {

void BM_StatementBoundary(benchmark::State& state) {
    std::atomic<int32_t> flag{0};
    uint32_t line = 0;
    measure_ratio(
        state, "statement boundary (check_requested test)", "relaxed load of an atomic", 0, 4096,
        [&](int64_t) {
            if (rt_control.check_requested.load()) rt_check_statement(line);
            benchmark::DoNotOptimize(++line);
        },
        [&](int64_t) {
            if (flag.load(std::memory_order_relaxed)) line = 0;
            benchmark::DoNotOptimize(++line);
        });
}
BENCHMARK(BM_StatementBoundary);

void BM_ProcedureVariables(benchmark::State& state) {
    if (rt_vars.block == nullptr) rt_var_init();
    measure_ratio(
        state, "procedure frame of three variables", "malloc and free of the same sizes", 0, 1024,
        [](int64_t) {
            void* saved = rt_vars.pointer;
            benchmark::DoNotOptimize(rt_var_alloc(4));
            benchmark::DoNotOptimize(rt_var_alloc(8));
            benchmark::DoNotOptimize(rt_var_alloc(8));
            rt_var_restore(saved);
        },
        [](int64_t) {
            void* a = std::malloc(4);
            void* b = std::malloc(8);
            void* c = std::malloc(8);
            benchmark::DoNotOptimize(a);
            benchmark::DoNotOptimize(b);
            benchmark::DoNotOptimize(c);
            std::free(c);
            std::free(b);
            std::free(a);
        });
}
BENCHMARK(BM_ProcedureVariables);

void BM_RandomNumber(benchmark::State& state) {
    uint32_t x = 0x50000;
    measure_ratio(
        state, "random number", "one 24-bit multiply-add", 0, 4096,
        [](int64_t) { benchmark::DoNotOptimize(rt_rnd(0, 0)); },
        [&](int64_t) {
            x = (x * 0xFD43FDu + 0xC39EC3u) & 0xFFFFFF;
            benchmark::DoNotOptimize(x);
        });
}
BENCHMARK(BM_RandomNumber);

void BM_TimerMilliseconds(benchmark::State& state) {
    measure_ratio(
        state, "seconds since midnight to the millisecond", "the monotonic clock read", 0, 1024,
        [](int64_t) { benchmark::DoNotOptimize(rt_timer(0.001, 1)); },
        [](int64_t) { benchmark::DoNotOptimize(plat_clock_ms()); });
}
BENCHMARK(BM_TimerMilliseconds);

}  // namespace
