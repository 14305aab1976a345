// Set-up shared by the benchmarks (see bench_support.h).
#include "bench/bench_support.h"

#include "runtime/core/conv_memory.h"
#include "runtime/display/frame_composer.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/pages.h"
#include "runtime/strings/rt_string.h"

namespace {

void init_once() {
    static bool done = false;
    if (done) return;
    done = true;
    conv_memory_clear();
    rts_init();
    img_table_init();
    fonts_palettes_init();
}

}  // namespace

ScreenImage* bench_screen(int32_t mode) {
    init_once();
    rt_screen(mode, 0, 0, 1);
    return rt_pages.write;
}

void bench_fresh_strings() {
    init_once();
    conv_memory_clear();
    rts_init();
}

void bench_consume_frame() {
    const int32_t s = frame_ring_take_newest();
    if (s != 0) {
        frame_ring.slots[s].presented.store(1);
        frame_ring_release_older();
    }
}
