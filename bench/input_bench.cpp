// The keyboard and mouse paths, each beside the plain operation it should
// stay close to:
// - a key press and release through the character callback, read back from
//   the queue and the ring, beside three lock/unlock pairs of a mutex (the
//   press, the release and the read each take the key-state lock once);
// - rt_keyhit on an empty queue, beside one lock/unlock pair;
// - rt_inkey with a key waiting, beside the one yield it makes;
// - a pointer movement (two queue records), beside one lock/unlock pair.
#include <benchmark/benchmark.h>
#include <sched.h>
#include <mutex>
#include "runtime/input/key_reading.h"
#include "runtime/input/key_state.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/mouse.h"
#include "runtime/strings/rt_string.h"

namespace {

void BM_KeyPressReleaseRead(benchmark::State& state) {
    key_state_reset();
    uint8_t c, s;
    for (auto _ : state) {
        rt_on_char_key('a', true, 0);
        rt_on_char_key('a', false, 0);
        benchmark::DoNotOptimize(rt_keyhit());
        benchmark::DoNotOptimize(rt_keyhit());
        benchmark::DoNotOptimize(key_ring_take(&c, &s));
    }
}
BENCHMARK(BM_KeyPressReleaseRead);

void BM_KeyPressReleaseReadBaseline(benchmark::State& state) {
    std::mutex m;
    int32_t slot = 0;
    for (auto _ : state) {
        for (int i = 0; i < 3; i++) {
            std::lock_guard<std::mutex> lock(m);
            benchmark::DoNotOptimize(slot += i);
        }
    }
}
BENCHMARK(BM_KeyPressReleaseReadBaseline);

void BM_KeyhitEmpty(benchmark::State& state) {
    key_state_reset();
    for (auto _ : state) benchmark::DoNotOptimize(rt_keyhit());
}
BENCHMARK(BM_KeyhitEmpty);

void BM_KeyhitEmptyBaseline(benchmark::State& state) {
    std::mutex m;
    int32_t value = 0;
    for (auto _ : state) {
        std::lock_guard<std::mutex> lock(m);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_KeyhitEmptyBaseline);

void BM_InkeyWithAKeyWaiting(benchmark::State& state) {
    key_state_reset();
    uint32_t mark = rts_temp_mark();
    for (auto _ : state) {
        key_ring_put('a', 30);  // a few stores; pausing the timer would cost far more
        benchmark::DoNotOptimize(rt_inkey());
        rts_release_temps(mark, 0);
    }
}
BENCHMARK(BM_InkeyWithAKeyWaiting);

void BM_InkeyWithAKeyWaitingBaseline(benchmark::State& state) {
    for (auto _ : state) sched_yield();
}
BENCHMARK(BM_InkeyWithAKeyWaitingBaseline);

void BM_MouseMotion(benchmark::State& state) {
    mouse_queue_reset();
    int x = 0;
    for (auto _ : state) rt_on_mouse_motion(++x & 511, 100);
}
BENCHMARK(BM_MouseMotion);

void BM_MouseMotionBaseline(benchmark::State& state) {
    std::mutex m;
    MouseEvent records[2] = {};
    int x = 0;
    for (auto _ : state) {
        std::lock_guard<std::mutex> lock(m);
        records[0].x = records[1].x = static_cast<int16_t>(++x & 511);
        benchmark::DoNotOptimize(records);
    }
}
BENCHMARK(BM_MouseMotionBaseline);

}  // namespace
