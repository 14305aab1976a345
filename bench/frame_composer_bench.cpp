// The frame composer, each figure beside the block operation it is budgeted
// against (see ratio.h for how they are measured together):
// - an unchanged 640x480 palette page: at most 1.5 x a memcmp of the
//   307,200 pixel bytes plus the 16 palette entries;
// - a palette page whose every pixel changed: at most 3 x a memcpy of the
//   1,228,800-byte frame plus one of the 307,200-byte page;
// - one changed cell of the 80x25 text page: at most 1.5 x a memcpy of the
//   640x400 frame.
// The prompt's frame, two changed text rows, is shown beside the memcpy too.
// The display thread's part (consuming frames) runs inside the figures, so
// that buffers are recycled as in a running program.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_support.h"
#include "bench/ratio.h"
#include "runtime/display/frame_composer.h"
#include "runtime/screen/pages.h"

namespace {

constexpr size_t kPage = 640 * 480;  // pixel bytes of the mode-12 page

void BM_ComposeUnchangedPalettePage(benchmark::State& state) {
    ScreenImage* page = bench_screen(12);
    std::memset(page->data, 3, kPage);
    compose_frame();
    bench_consume_frame();
    // The baseline compares two equal copies in full, as an unchanged page does.
    std::vector<uint8_t> a(kPage, 3), b(kPage, 3);
    std::vector<uint32_t> pa(page->palette, page->palette + 16), pb(pa);
    measure_ratio(
        state, "compose_frame, unchanged 640x480 palette page", "memcmp of page and palette", 1.5, 16,
        [](int64_t) {
            compose_frame();
            bench_consume_frame();
        },
        [&](int64_t) {
            benchmark::DoNotOptimize(std::memcmp(a.data(), b.data(), kPage));
            benchmark::DoNotOptimize(std::memcmp(pa.data(), pb.data(), pa.size() * 4));
        });
}
BENCHMARK(BM_ComposeUnchangedPalettePage);

// Pages 0 and 1 of mode 12, filled by `paint`, shown in turn: each
// composition sees the pixels in which they differ change, without time
// spent on changing them. Beside a memcpy of the frame and the page.
template <typename Paint>
void compose_alternate_pages(benchmark::State& state, const char* figure, double budget, Paint&& paint) {
    ScreenImage* first = bench_screen(12);
    rt_pcopy(0, 1);
    ScreenImage* pages[2] = {first, img_get(rt_pages.entries[1])};
    paint(pages[0]->data, pages[1]->data);
    std::vector<uint32_t> frame_a(kPage, 1), frame_b(kPage);
    std::vector<uint8_t> page_a(kPage, 1), page_b(kPage);
    measure_ratio(
        state, figure, "memcpy of frame and page", budget, 4,
        [&](int64_t i) {
            rt_pages.display.store(pages[i & 1]);
            compose_frame();
            bench_consume_frame();
        },
        [&](int64_t) {
            std::memcpy(frame_b.data(), frame_a.data(), kPage * 4);
            std::memcpy(page_b.data(), page_a.data(), kPage);
        });
    rt_pages.display.store(pages[0]);
}

void BM_ComposeEveryPixelChanged(benchmark::State& state) {
    compose_alternate_pages(state, "compose_frame, every pixel changed", 3.0, [](uint8_t* a, uint8_t* b) {
        for (size_t i = 0; i < kPage; ++i) {
            a[i] = uint8_t(i % 7);
            b[i] = uint8_t(8 + i % 5);
        }
    });
}
BENCHMARK(BM_ComposeEveryPixelChanged);

// The command editor's frame: the countdown's and the typed line's text rows
// change, the rest of the screen does not (no budget).
void BM_ComposeTwoTextRowsChanged(benchmark::State& state) {
    compose_alternate_pages(state, "compose_frame, two text rows changed (the prompt's frame)", 0,
                            [](uint8_t* a, uint8_t* b) {
                                for (size_t i = 0; i < kPage; ++i) a[i] = b[i] = uint8_t(i % 7);
                                for (size_t row : {1, 20}) std::memset(b + row * 16 * 640, 9, 16 * 640);
                            });
}
BENCHMARK(BM_ComposeTwoTextRowsChanged);

void BM_ComposeOneTextCellChanged(benchmark::State& state) {
    ScreenImage* page = bench_screen(0);
    compose_frame();
    bench_consume_frame();
    uint8_t* cell = page->data + (12 * 80 + 40) * 2;
    std::vector<uint32_t> a(640 * 400, 1), b(640 * 400);
    measure_ratio(
        state, "compose_frame, one changed cell of the 80x25 text page", "memcpy of the 640x400 frame", 1.5, 4,
        [&](int64_t i) {
            *cell = (i & 1) ? 'B' : 'A';
            compose_frame();
            bench_consume_frame();
        },
        [&](int64_t) { std::memcpy(b.data(), a.data(), a.size() * 4); });
}
BENCHMARK(BM_ComposeOneTextCellChanged);

}  // namespace
