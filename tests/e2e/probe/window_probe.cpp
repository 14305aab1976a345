// The window probe, started by the window tests: the runtime and its window
// with a program that shows a known mode-12 screen (coloured lines of text
// and a band of colour stripes written straight into the page), then stays.
//
//   window_probe EXPECTED.ppm STATS.txt
//
// EXPECTED.ppm receives the picture the window must show (the page through
// its palette, binary PPM). STATS.txt is rewritten every 20 ms with the
// display callback's counters: "calls draws swaps".
#include <cstdio>
#include <string>
#include "platform/plat_time.h"
#include "runtime/core/control.h"
#include "runtime/core/runtime.h"
#include "runtime/display/window.h"
#include "runtime/screen/pages.h"
#include "runtime/screen/screen_statements.h"
#include "runtime/screen/text_output.h"
#include "runtime/strings/rt_string.h"

namespace {

std::string expected_path;
std::string stats_path;

// The stripe band: rows 448 to 479, colour ((x / 8) + (y / 4)) % 16.
void draw_stripes(ScreenImage* page) {
    for (int y = 448; y < 480; ++y)
        for (int x = 0; x < 640; ++x) page->data[y * 640 + x] = uint8_t((x / 8 + y / 4) % 16);
}

void print_line(int row, int col, uint32_t fg, uint32_t bg, const char* text) {
    rt_color(fg, bg, 0, 3);
    rt_locate(row, col, 0, 0, 0, 3);
    rt_print(rts_from_cstring(text), 1);
}

void write_expected(const ScreenImage* page) {
    const std::string tmp = expected_path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", page->width, page->height);
    for (int i = 0; i < page->width * page->height; ++i) {
        const uint32_t c = page->palette[page->data[i]];
        const unsigned char rgb[3] = {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)};
        std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
    std::rename(tmp.c_str(), expected_path.c_str());
}

void write_stats() {
    const std::string tmp = stats_path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "w");
    if (!f) return;
    std::fprintf(f, "%llu %llu %llu\n", (unsigned long long)rt_window.display_calls.load(),
                 (unsigned long long)rt_window.draws.load(),
                 (unsigned long long)rt_window.swaps.load());
    std::fclose(f);
    std::rename(tmp.c_str(), stats_path.c_str());
}

void probe_program() {
    rt_screen(12, 0, 0, 1);
    print_line(1, 1, 15, 0, "Tolmerand window probe");
    print_line(3, 5, 14, 1, "Yellow on blue");
    print_line(4, 5, 12, 0, "Light red on black");
    print_line(5, 5, 10, 4, "Light green on red");
    print_line(10, 70, 11, 5, "edge cyan!");
    draw_stripes(rt_pages.write);
    write_expected(rt_pages.write);
    for (;;) {
        if (rt_control.stopping.load()) rt_park_program_thread();
        write_stats();
        plat_sleep_ms(20);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_probe EXPECTED.ppm STATS.txt\n");
        return 2;
    }
    expected_path = argv[1];
    stats_path = argv[2];
    return rt_main(argc, argv, probe_program);
}
