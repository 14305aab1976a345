// The keyboard and mouse paths, each beside the plain operation it should
// stay close to (no budgets; see ratio.h for how they are measured
// together):
// - a key press and release through the character callback, read back from
//   the queue and the ring, beside three lock/unlock pairs of a mutex (the
//   press, the release and the read each take the key-state lock once);
// - rt_keyhit on an empty queue, beside one lock/unlock pair;
// - rt_inkey with a key waiting, beside the one yield it makes;
// - a pointer movement (two queue records), beside one lock/unlock pair.
#include <benchmark/benchmark.h>

#include <sched.h>

#include <mutex>

#include "bench/ratio.h"
#include "runtime/input/key_reading.h"
#include "runtime/input/key_state.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/strings/rt_string.h"

namespace {

void BM_KeyPressReleaseRead(benchmark::State& state) {
    key_state_reset();
    std::mutex m;
    int32_t slot = 0;
    uint8_t c, s;
    measure_ratio(
        state, "key press, release and read", "three mutex lock/unlock pairs", 0, 256,
        [&](int64_t) {
            rt_on_char_key('a', true, 0);
            rt_on_char_key('a', false, 0);
            benchmark::DoNotOptimize(rt_keyhit());
            benchmark::DoNotOptimize(rt_keyhit());
            benchmark::DoNotOptimize(key_ring_take(&c, &s));
        },
        [&](int64_t) {
            for (int i = 0; i < 3; i++) {
                std::lock_guard<std::mutex> lock(m);
                benchmark::DoNotOptimize(slot += i);
            }
        });
}
BENCHMARK(BM_KeyPressReleaseRead);

void BM_KeyhitEmpty(benchmark::State& state) {
    key_state_reset();
    std::mutex m;
    int32_t value = 0;
    measure_ratio(
        state, "rt_keyhit on an empty queue", "one mutex lock/unlock pair", 0, 1024,
        [](int64_t) { benchmark::DoNotOptimize(rt_keyhit()); },
        [&](int64_t) {
            std::lock_guard<std::mutex> lock(m);
            benchmark::DoNotOptimize(value);
        });
}
BENCHMARK(BM_KeyhitEmpty);

void BM_InkeyWithAKeyWaiting(benchmark::State& state) {
    key_state_reset();
    const uint32_t mark = rts_temp_mark();
    measure_ratio(
        state, "rt_inkey with a key waiting", "one yield", 0, 64,
        [&](int64_t) {
            key_ring_put('a', 30);  // a few stores
            benchmark::DoNotOptimize(rt_inkey());
            rts_release_temps(mark, 0);
        },
        [](int64_t) { sched_yield(); });
}
BENCHMARK(BM_InkeyWithAKeyWaiting);

void BM_MouseMotion(benchmark::State& state) {
    mouse_queue_reset();
    std::mutex m;
    MouseEvent records[2] = {};
    measure_ratio(
        state, "pointer movement into the mouse queue", "one mutex lock/unlock pair", 0, 1024,
        [](int64_t i) { rt_on_mouse_motion(static_cast<int>(i & 511), 100); },
        [&](int64_t i) {
            std::lock_guard<std::mutex> lock(m);
            records[0].x = records[1].x = static_cast<int16_t>(i & 511);
            benchmark::DoNotOptimize(records);
        });
}
BENCHMARK(BM_MouseMotion);

}  // namespace
