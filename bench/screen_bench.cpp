// Text output on the game's 640x480 page, each figure beside the plain
// operation it is budgeted against (see ratio.h for how they are measured
// together):
// - printing an 80-character line: at most 2 x a plain loop that stores the
//   same 80 glyphs' 8x16 pixels at the same place (one 8-pixel store per
//   glyph row, colours chosen by the glyph's 0/255 bytes);
// - a line end on the window's last row, scrolling rows 1 to 29: at most
//   1.3 x a memmove of the same 28 text rows plus the fill of one text row.
// The 80x25 text page's scroll is set beside its own block move.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/ratio.h"
#include "runtime/screen/fonts_palettes.h"
#include "runtime/screen/text_output.h"
#include "runtime/strings/rt_string.h"

namespace {

constexpr int kRowBytes = 640;
constexpr int kTextRow = 16 * kRowBytes;  // pixel bytes of one text row in mode 12
constexpr int kLineRow = 5;               // the text row the line is printed on

const std::string kLine =
    "The hall smells of dust and old wax; a staircase climbs into the dark above. Th";

void print_line(ScreenImage* page, RtString* s) {
    page->cursor_col = 1;
    page->cursor_row = kLineRow;
    page->wrap_pending = 0;
    rt_print(s, 0);
}

// The baseline: the glyph rows of the 80 characters stored straight into
// the page, 8 pixels at a time.
void store_glyphs(ScreenImage* page, const std::string& text) {
    const uint64_t fg = 0x0101010101010101ull * static_cast<uint8_t>(page->fg_colour & page->colour_mask);
    const uint64_t bg = 0x0101010101010101ull * static_cast<uint8_t>(page->bg_colour & page->colour_mask);
    uint8_t* row = page->data + (kLineRow - 1) * kTextRow;
    for (int c = 0; c < 80; ++c) {
        const uint8_t* glyph = font_glyphs_8x16 + static_cast<uint8_t>(text[c]) * 128;
        uint8_t* cell = row + c * 8;
        for (int y = 0; y < 16; ++y) {
            uint64_t bits;
            std::memcpy(&bits, glyph + y * 8, 8);
            const uint64_t pixels = (bits & fg) | (~bits & bg);
            std::memcpy(cell + y * kRowBytes, &pixels, 8);
        }
    }
}

void BM_PrintLine80(benchmark::State& state) {
    ScreenImage* page = bench_screen(12);
    std::string text = kLine;
    RtString s{};
    s.data = reinterpret_cast<uint8_t*>(text.data());
    s.len = 80;
    // Both must store the same pixels.
    print_line(page, &s);
    const std::vector<uint8_t> printed(page->data + (kLineRow - 1) * kTextRow, page->data + kLineRow * kTextRow);
    std::memset(page->data, 0, 640 * 480);
    store_glyphs(page, text);
    if (!std::equal(printed.begin(), printed.end(), page->data + (kLineRow - 1) * kTextRow)) {
        state.SkipWithError("rt_print and the baseline stored different pixels");
        return;
    }
    measure_ratio(
        state, "rt_print of an 80-character line in mode 12", "plain stores of the 80 glyphs", 2.0, 16,
        [&](int64_t) { print_line(page, &s); }, [&](int64_t) { store_glyphs(page, text); });
}
BENCHMARK(BM_PrintLine80);

void BM_ScrollRows1To29(benchmark::State& state) {
    ScreenImage* page = bench_screen(12);
    measure_ratio(
        state, "line end scrolling rows 1 to 29 in mode 12", "memmove of 28 text rows and a row fill", 1.3, 16,
        [&](int64_t) {
            page->cursor_row = 29;
            text_newline();
        },
        [&](int64_t) {
            std::memmove(page->data, page->data + kTextRow, 28 * kTextRow);
            std::memset(page->data + 28 * kTextRow, 0, kTextRow);
        });
}
BENCHMARK(BM_ScrollRows1To29);

void BM_ScrollTextPage(benchmark::State& state) {
    ScreenImage* page = bench_screen(0);
    measure_ratio(
        state, "line end scrolling the 80x25 text page", "memmove of 23 rows of cells and a row fill", 0, 256,
        [&](int64_t) {
            page->cursor_row = 24;
            text_newline();
        },
        [&](int64_t) {
            uint8_t* cells = page->data;
            std::memmove(cells, cells + 160, 23 * 160);
            for (int i = 0; i < 160; i += 2) {
                cells[23 * 160 + i] = 0x20;
                cells[23 * 160 + i + 1] = 0x07;
            }
        });
}
BENCHMARK(BM_ScrollTextPage);

}  // namespace
