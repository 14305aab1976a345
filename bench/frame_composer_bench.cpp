// The frame composer's costs, each beside the block operation it is
// budgeted against:
// - an unchanged 640x480 palette page: at most 1.5 x a memcmp of the
//   307,200 pixel bytes plus the palette;
// - a palette page whose every pixel changed: at most 3 x a memcpy of the
//   1,228,800-byte frame plus the 307,200-byte page;
// - one changed cell of the 80x25 text page: at most 1.5 x a memcpy of the
//   640x400 frame.
// The display thread's part (consuming frames) runs inside the loop, so that
// buffers are recycled as in a running program.
#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>
#include "runtime/core/conv_memory.h"
#include "runtime/display/frame_composer.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"
#include "runtime/strings/rt_string.h"

namespace {

void consume() {
    const int32_t s = frame_ring_take_newest();
    if (s != 0) {
        frame_ring.slots[s].presented.store(1);
        frame_ring_release_older();
    }
}

void screen_mode(int32_t mode) {
    static bool initialised = false;
    if (!initialised) {
        conv_memory_clear();
        rts_init();
        img_table_init();
        fonts_palettes_init();
        initialised = true;
    }
    rt_screen(mode, 0, 0, 1);
    compose_frame();
    consume();
}

void BM_PaletteUnchanged(benchmark::State& state) {
    screen_mode(12);
    std::memset(rt_pages.write->data, 3, 640 * 480);
    compose_frame();
    consume();
    for (auto _ : state) {
        compose_frame();
        consume();
    }
}
BENCHMARK(BM_PaletteUnchanged);

void BM_Baseline_MemcmpPageAndPalette(benchmark::State& state) {
    std::vector<uint8_t> a(640 * 480, 3), b(640 * 480, 3);
    std::vector<uint32_t> pa(16, 7), pb(16, 7);
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::memcmp(a.data(), b.data(), a.size()));
        benchmark::DoNotOptimize(std::memcmp(pa.data(), pb.data(), pa.size() * 4));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Baseline_MemcmpPageAndPalette);

// Pages 0 and 1 hold different pictures; showing them in turn changes every
// pixel without spending time on changing them.
void BM_PaletteAllPixelsChanged(benchmark::State& state) {
    screen_mode(12);
    rt_pcopy(0, 1);
    ScreenImage* pages[2] = {rt_pages.write, img_get(rt_pages.entries[1])};
    for (int i = 0; i < 640 * 480; ++i) {
        pages[0]->data[i] = uint8_t(i % 7);
        pages[1]->data[i] = uint8_t(8 + i % 5);
    }
    int n = 0;
    for (auto _ : state) {
        rt_pages.display.store(pages[n++ & 1]);
        compose_frame();
        consume();
    }
    rt_pages.display.store(pages[0]);
}
BENCHMARK(BM_PaletteAllPixelsChanged);

void BM_Baseline_MemcpyFrameAndPage(benchmark::State& state) {
    std::vector<uint32_t> frame_a(640 * 480, 1), frame_b(640 * 480);
    std::vector<uint8_t> page_a(640 * 480, 1), page_b(640 * 480);
    for (auto _ : state) {
        std::memcpy(frame_b.data(), frame_a.data(), frame_a.size() * 4);
        std::memcpy(page_b.data(), page_a.data(), page_a.size());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Baseline_MemcpyFrameAndPage);

void BM_TextOneCellChanged(benchmark::State& state) {
    screen_mode(0);
    uint8_t* cell = rt_pages.write->data + (12 * 80 + 40) * 2;
    uint8_t c = 'A';
    for (auto _ : state) {
        *cell = c;
        c = c == 'A' ? 'B' : 'A';
        compose_frame();
        consume();
    }
}
BENCHMARK(BM_TextOneCellChanged);

void BM_Baseline_MemcpyTextFrame(benchmark::State& state) {
    std::vector<uint32_t> a(640 * 400, 1), b(640 * 400);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Baseline_MemcpyTextFrame);

}  // namespace
